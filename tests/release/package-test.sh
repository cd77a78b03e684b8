#!/bin/bash
# Makes the unsigned release files with scripts/package.sh from the test
# build tree and checks what it wrote: the version taken from the project,
# the three files, their checksums, the installer's identity.
source "$(dirname "$0")/release-common.sh"

# Half a signing configuration stops the script before it builds anything.
if QLM_SIGN_CERT="$work/missing.pem" QLM_SIGN_KEY="" "$root/scripts/package.sh" >"$work/half.log" 2>&1; then
  bad "a certificate without a key is refused"
else
  check "a certificate without a key is refused" grep -q "set both QLM_SIGN_CERT and QLM_SIGN_KEY" "$work/half.log"
fi

start=$SECONDS
if ! env -u QLM_SIGN_CERT -u QLM_SIGN_KEY -u QLM_RELEASE_DIR QLM_BUILD_DIR="$build" \
     "$root/scripts/package.sh" >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  bad "scripts/package.sh ran"
  finish
fi
echo "scripts/package.sh took $((SECONDS - start)) s"
tail -n 5 "$work/package.log"
check "the script says the release is not signed" grep -q "^package: not signed" "$work/package.log"

# One number, in the project() line of the top CMakeLists.txt.
declared="$(sed -n 's/^project(Quillmoor VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")"
check "the release version ($version) is the project's ($declared)" test -n "$declared" -a "$version" = "$declared"

zip="$release/$name.zip"
msi="$release/$name.msi"
check "$name.zip written" test -s "$zip"
check "$name.msi written" test -s "$msi"
check "SHA256SUMS names exactly the zip, the installer and the Linux package and tarball" \
  test "$(awk '{print $2}' "$release/SHA256SUMS" | LC_ALL=C sort | tr '\n' ' ')" = \
  "$name.msi $name.zip qmscan-$version-linux-x86_64.tar.gz quillmoor-qmscan_${version}_amd64.deb "
check "SHA256SUMS matches every file" bash -c "cd '$release' && sha256sum --quiet -c SHA256SUMS"

# The installer's identity: per-machine, 64-bit, this version, the upgrade
# code that never changes, the publisher and size the programs list shows.
msiinfo export "$msi" Property | tr -d '\r' >"$work/property.idt"
prop() { awk -F'\t' -v k="$1" '$1 == k {print $2}' "$work/property.idt"; }
check "ProductVersion is $version" test "$(prop ProductVersion)" = "$version"
check "UpgradeCode is the fixed one" test "$(prop UpgradeCode)" = "{3B567650-982A-4FFA-9B7F-3B8E6BAC9E9D}"
check "Manufacturer is Quillmoor Team" test "$(prop Manufacturer)" = "Quillmoor Team"
check "ALLUSERS is 1 (per machine)" test "$(prop ALLUSERS)" = "1"
files_kb=$(( ($(cat "${binaries[@]/#/$build/dist/}" | wc -c) + 1023) / 1024 ))
check "ARPSIZE ($(prop ARPSIZE) KB) covers the binaries ($files_kb KB)" test "$(prop ARPSIZE)" -ge "$files_kb"
check "the package is for x64" bash -c "msiinfo suminfo '$msi' | grep -q '^Template: x64;1033'"
# Each version has its own product code, the same every time it is built.
code="$(prop ProductCode)"
"$root/packaging/make-msi.sh" "$build/dist" "$version" "$work/again.msi" 2>/dev/null
check "the product code ($code) is the same when built again" \
  test "$(msiinfo export "$work/again.msi" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" {print $2}')" = "$code"

finish
