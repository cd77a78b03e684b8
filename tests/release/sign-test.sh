#!/bin/bash
# Signing: a test root and a code-signing certificate made here with
# openssl (the key behind a password file); scripts/package.sh signs every
# binary, in the zip and inside the installer, and the installer itself,
# without a timestamp. osslsigncode verifies each against the test root;
# the platform's trust API (under Wine) finds each signed, a changed byte
# breaks the signature, and a signed program still runs.
source "$(dirname "$0")/release-common.sh"

keys="$work/keys"
mkdir "$keys"
openssl_quiet() { openssl "$@" >>"$keys/openssl.log" 2>&1; }
printf 'release test password\n' >"$keys/pass.txt"
openssl_quiet req -x509 -newkey rsa:2048 -nodes -keyout "$keys/root.key" -out "$keys/root.pem" -days 2 \
  -subj "/CN=Quillmoor Release Test Root" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
openssl_quiet req -newkey rsa:2048 -keyout "$keys/sign.key" -passout "file:$keys/pass.txt" \
  -out "$keys/sign.csr" -subj "/CN=Quillmoor Release Test Signer/O=Quillmoor Team"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$keys/sign.ext"
openssl_quiet x509 -req -in "$keys/sign.csr" -CA "$keys/root.pem" -CAkey "$keys/root.key" -CAcreateserial \
  -days 2 -extfile "$keys/sign.ext" -out "$keys/sign.pem"
cat "$keys/sign.pem" "$keys/root.pem" >"$keys/chain.pem"

out="$work/signed"
start=$SECONDS
if ! QLM_BUILD_DIR="$build" QLM_RELEASE_DIR="$out" QLM_SIGN_CERT="$keys/chain.pem" \
     QLM_SIGN_KEY="$keys/sign.key" QLM_SIGN_PASS_FILE="$keys/pass.txt" \
     "$root/scripts/package.sh" >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  bad "scripts/package.sh signed the release"
  finish
fi
echo "scripts/package.sh with signing took $((SECONDS - start)) s"
check "the script says what it signed" \
  grep -q "^package: signed 5 binaries and the installer (no timestamp).*Quillmoor Release Test Signer" "$work/package.log"
check "SHA256SUMS matches the signed files" bash -c "cd '$out' && sha256sum --quiet -c SHA256SUMS"

unzip -q "$out/$name.zip" -d "$work/zip"
msiextract -C "$work/msi" "$out/$name.msi" >/dev/null
signed=()
for f in "${binaries[@]}"; do
  signed+=("$work/zip/$name/$f" "$work/msi/Quillmoor/$f")
done
signed+=("$out/$name.msi")

no_timestamp() {  # file: its signature has no unsigned attributes (no countersignature)
  osslsigncode extract-signature -in "$1" -out "$1.sig" >/dev/null 2>&1 &&
    openssl pkcs7 -inform DER -in "$1.sig" -print 2>/dev/null | grep -A1 'unauth_attr:' | grep -qE '<ABSENT>|<EMPTY>'
}
for f in "${signed[@]}"; do
  label="${f#$work/}"
  label="${label#$out/}"
  check "osslsigncode verifies $label against the test root" \
    bash -c "osslsigncode verify -CAfile '$keys/root.pem' -in '$f' >'$f.verify' 2>&1"
  check "$label is signed without a timestamp" no_timestamp "$f"
done
check "the signed binaries are not the unsigned ones" bash -c "! cmp -s '$work/zip/$name/qmscan.exe' '$build/dist/qmscan.exe'"

# A signed binary with one byte of its code changed.
cp "$work/zip/$name/qmscan.exe" "$work/changed.exe"
printf '\x90' | dd of="$work/changed.exe" bs=1 seek=5000 conv=notrunc 2>/dev/null
check "osslsigncode rejects a signed binary with a changed byte" \
  bash -c "! osslsigncode verify -CAfile '$keys/root.pem' -in '$work/changed.exe' >/dev/null 2>&1"

use_release_prefix
wsigned=()
for f in "${signed[@]}"; do wsigned+=("$(winpath "$f")"); done
win "$work/trust.txt" "$release_check" trust "${wsigned[@]}" "$(winpath "$work/changed.exe")" \
  "$(winpath "$build/dist/qmscan.exe")" || true
cat "$work/trust.txt"
# The test root is in no trust store: Windows calls such a file signed by an
# untrusted root, Wine calls it trusted. Either way it is signed, unlike an
# unsigned file (TRUST_E_NOSIGNATURE) or a changed one (TRUST_E_BAD_DIGEST).
verdict() { F="$1" awk -F'\t' '$3 == ENVIRON["F"] {print $2}' "$work/trust.txt"; }
for f in "${wsigned[@]}"; do
  v="$(verdict "$f")"
  check "the trust API finds ${f##*\\} signed ($v)" \
    bash -c '[[ "$1" == trusted || "$1" == CERT_E_UNTRUSTEDROOT || "$1" == CERT_E_CHAINING ]]' _ "$v"
done
check "the trust API finds the changed binary's signature broken ($(verdict "$(winpath "$work/changed.exe")"))" \
  test "$(verdict "$(winpath "$work/changed.exe")")" = TRUST_E_BAD_DIGEST
check "the trust API finds the unsigned build unsigned" \
  test "$(verdict "$(winpath "$build/dist/qmscan.exe")")" = TRUST_E_NOSIGNATURE

rc=0
win "$work/help.txt" "$work/zip/$name/qmscan.exe" --help || rc=$?
check "the signed qmscan.exe --help exits 0 (got $rc)" test $rc -eq 0
win "$work/version.txt" "$release_check" version "$(winpath "$work/zip/$name/ozCore.dll")" || true
check "a signed binary keeps its version" test "$(cut -f3 "$work/version.txt")" = "$version"

finish
