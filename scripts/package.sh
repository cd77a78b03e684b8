#!/bin/bash
# Builds Quillmoor in release mode and makes the release files in
# <build>/release/ (QLM_RELEASE_DIR to choose another folder):
#   Quillmoor-<version>-x64.zip   the portable folder: the binaries,
#                                 README.txt, LICENSE.txt, THIRD-PARTY.txt
#   Quillmoor-<version>-x64.msi   the installer of the same files
#   quillmoor-qmscan_<version>_amd64.deb, qmscan-<version>-linux-x86_64.tar.gz
#                                 the Linux qmscan (scripts/package-linux.sh)
#   SHA256SUMS                    checksums of all four
# The version is the CMake project version, read from the build tree.
#
# Signing: when QLM_SIGN_CERT (the certificate and its chain, PEM) and
# QLM_SIGN_KEY (its private key) are set, every binary and the installer are
# signed with osslsigncode, without a timestamp (QLM_SIGN_PASS_FILE names a
# file holding the key's password, if it has one). Without them nothing is
# signed, and the script says so.
#
# QLM_BUILD_DIR chooses the build tree (default build/, the one the test
# command uses); it must be a Release build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"
export QLM_BUILD_DIR="$build"
out="${QLM_RELEASE_DIR:-$build/release}"

say() { echo "package: $*"; }
fail() { echo "package: $*" >&2; exit 1; }

# Signing is all or nothing: half a configuration is a mistake, not a
# request for an unsigned release.
signing=0
if [ -n "${QLM_SIGN_CERT:-}" ] || [ -n "${QLM_SIGN_KEY:-}" ]; then
  [ -n "${QLM_SIGN_CERT:-}" ] && [ -n "${QLM_SIGN_KEY:-}" ] ||
    fail "set both QLM_SIGN_CERT and QLM_SIGN_KEY to sign, or neither"
  [ -r "$QLM_SIGN_CERT" ] || fail "cannot read the certificate $QLM_SIGN_CERT"
  [ -r "$QLM_SIGN_KEY" ] || fail "cannot read the key $QLM_SIGN_KEY"
  if [ -n "${QLM_SIGN_PASS_FILE:-}" ]; then
    [ -r "$QLM_SIGN_PASS_FILE" ] || fail "cannot read the password file $QLM_SIGN_PASS_FILE"
  fi
  signing=1
fi

# What a release holds from the distribution folder; each is built by the
# target of its name. Anything else in the folder is refused rather than
# shipped or silently left out.
binaries=(Quillmoor.exe qmscan.exe ozCore.dll QLMCustom.dll Stoatline.dll)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" --target "${binaries[@]%.*}"

build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")"
[ "$build_type" = Release ] ||
  fail "$build is a '$build_type' build; releases are made from a Release build (QLM_BUILD_DIR names another tree)"
version="$(tr -d '[:space:]' <"$build/version.txt")"
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no version in $build/version.txt"

dist="$build/dist"
for f in "${binaries[@]}"; do
  [ -f "$dist/$f" ] || fail "$dist/$f is missing"
done
for path in "$dist"/*; do
  name="$(basename "$path")"
  [[ " ${binaries[*]} " == *" $name "* ]] ||
    fail "$dist holds $name, which is not part of a release (scripts/package.sh lists what is)"
done
"$root/scripts/check-dist.sh" "$dist" >/dev/null || fail "the distribution folder failed its check (scripts/check-dist.sh $dist)"

name="Quillmoor-$version-x64"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d "$out/.stage.XXXXXX")"
trap 'rm -rf "$work"' EXIT
stage="$work/$name"
mkdir "$stage"

for f in "${binaries[@]}"; do
  cp "$dist/$f" "$stage/$f"
done
# Texts with Windows line ends, for any editor on Windows.
to_crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
sed "s/@VERSION@/$version/g" "$root/packaging/README.txt" >"$work/README.txt"
to_crlf "$work/README.txt" "$stage/README.txt"
to_crlf "$root/LICENSE" "$stage/LICENSE.txt"
to_crlf "$root/packaging/THIRD-PARTY.txt" "$stage/THIRD-PARTY.txt"

sign() {  # file: signs it in place
  local args=(-certs "$QLM_SIGN_CERT" -key "$QLM_SIGN_KEY" -h sha256 -n Quillmoor)
  [ -n "${QLM_SIGN_PASS_FILE:-}" ] && args+=(-readpass "$QLM_SIGN_PASS_FILE")
  osslsigncode sign "${args[@]}" -in "$1" -out "$1.signed" >"$work/sign.log" 2>&1 ||
    { cat "$work/sign.log" >&2; fail "signing $(basename "$1") failed"; }
  mv "$1.signed" "$1"
}

if [ $signing -eq 1 ]; then
  for f in "${binaries[@]}"; do
    sign "$stage/$f"
  done
fi

zip_file="$name.zip"
msi_file="$name.msi"
deb_file="quillmoor-qmscan_${version}_amd64.deb"
tar_file="qmscan-$version-linux-x86_64.tar.gz"
rm -f "$out/$zip_file" "$out/$msi_file" "$out/SHA256SUMS"
(cd "$work" && zip -q -X -r "$work/$zip_file" "$name")
"$root/packaging/make-msi.sh" "$stage" "$version" "$work/$msi_file"
[ $signing -eq 1 ] && sign "$work/$msi_file"
mv "$work/$zip_file" "$work/$msi_file" "$out/"
"$root/scripts/package-linux.sh" "$out" >/dev/null
(cd "$out" && sha256sum "$zip_file" "$msi_file" "$deb_file" "$tar_file" >SHA256SUMS)

if [ $signing -eq 1 ]; then
  subject="$(openssl x509 -in "$QLM_SIGN_CERT" -noout -subject 2>/dev/null ||
             openssl x509 -inform DER -in "$QLM_SIGN_CERT" -noout -subject 2>/dev/null || echo "?")"
  say "signed ${#binaries[@]} binaries and the installer (no timestamp), $subject"
else
  say "not signed: set QLM_SIGN_CERT and QLM_SIGN_KEY to sign the binaries and the installer"
fi
say "version $version in $out:"
(cd "$out" && ls -l "$zip_file" "$msi_file" "$deb_file" "$tar_file" SHA256SUMS |
  awk '{printf "  %-40s %10s bytes\n", $NF, $5}')
