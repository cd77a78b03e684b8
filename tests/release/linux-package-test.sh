#!/bin/bash
# The Linux release files, as a user gets them: scripts/package-linux.sh
# makes them into WORK; their checksums hold; the manual page renders
# without a warning and says, word for word, what the README's qmscan
# sections say; the tarball unpacks and lists an image; as root, the .deb
# installs, /usr/bin/qmscan answers --help and lists the image as the
# built program does (its signed DLL named by its signer), and removing
# the package leaves none of its files. Run by scripts/native-test.sh.
#   linux-package-test.sh WORK
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$1"
package=quillmoor-qmscan
fail() { echo "linux-package-test: FAILED: $*" >&2; exit 1; }
say() { echo "linux-package-test: $*"; }

rm -rf "$work" && mkdir -p "$work/out"
"$root/scripts/package-linux.sh" "$work/out" >/dev/null
(cd "$work/out" && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c SHA256SUMS"
deb="$(ls "$work/out"/*.deb)" tarball="$(ls "$work/out"/*.tar.gz)"

# The manual page: no warning from groff, and the README's words in order.
mkdir "$work/unpacked" && tar -C "$work/unpacked" -xzf "$tarball"
folder="$(ls -d "$work/unpacked"/*/)"
LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -P-cbou "$folder/qmscan.1" 2>"$work/groff.err" >"$work/page.txt"
[ ! -s "$work/groff.err" ] || fail "groff warns about the manual page: $(head -3 "$work/groff.err")"
awk '/^## /{ take = ($0 == "## Add-on inventory from scripts" || $0 == "## Offline images"); next } take' \
  "$root/README.md" | sed 's/`//g; s/\*\*//g; s/^- //' | tr -s ' \n' '\n\n' | grep -v '^$' >"$work/readme.words"
awk '/^ADD-ON INVENTORY FROM SCRIPTS$/{ body = 1 } body && /^ /' "$work/page.txt" |
  tr -s ' \n' '\n\n' | grep -v -e '^$' -e '^•$' >"$work/page.words"
diff -q "$work/readme.words" "$work/page.words" >/dev/null ||
  fail "the manual page's words differ from the README's: diff $work/readme.words $work/page.words"

# An image with one toolbar whose DLL is signed by a key made here.
image="$work/image"
config="$image/Windows/System32/config"
mkdir -p "$config" "$image/Program Files/Maker"
cp "$root/tests/native/hives/minimal.hive" "$config/SOFTWARE"
guid='{22222222-0000-0000-0000-000000000001}'
hivexsh -w "$config/SOFTWARE" <<EOF
add Microsoft
cd Microsoft
add Internet Explorer
cd Internet Explorer
add Toolbar
cd Toolbar
setval 1
$guid
string:
cd \\
add Classes
cd Classes
add CLSID
cd CLSID
add $guid
cd $guid
add InProcServer32
cd InProcServer32
setval 1
@
string:C:\\Program Files\\Maker\\bar.dll
commit
EOF
signer="Linux Package Test Signer"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=$signer" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
  -in "$root/tests/native/corpus/PeResourcesFuzz/fx_strings.dll" -out "$image/Program Files/Maker/bar.dll" >/dev/null
"$root/build/linux/qmscan" --offline "$image" >"$work/built.csv" 2>/dev/null
grep -q "$signer" "$work/built.csv" || fail "the built qmscan does not name the signer: $(cat "$work/built.csv")"

"$folder/qmscan" --offline "$image" 2>/dev/null | cmp -s - "$work/built.csv" ||
  fail "the unpacked tarball's qmscan lists the image differently from the built one"

if [ "$(id -u)" -ne 0 ]; then
  say "not root: the .deb is not installed and removed (run as root for that part)"
  exit 0
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "installed"; then
  say "$package is already installed on this machine: it is left as it is, and the .deb is not tried"
  exit 0
fi
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$work/dpkg.log")"
dpkg -L "$package" >"$work/files"
remove() { dpkg -r "$package" >>"$work/dpkg.log" 2>&1; }
trap remove EXIT
/usr/bin/qmscan --help >/dev/null || fail "/usr/bin/qmscan --help"
/usr/bin/qmscan --offline "$image" 2>/dev/null | cmp -s - "$work/built.csv" ||
  fail "/usr/bin/qmscan lists the image differently from the built one"
trap - EXIT
remove || fail "dpkg -r: $(cat "$work/dpkg.log")"
! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "installed" || fail "$package is still known to dpkg"
while read -r path; do
  case "$path" in /. | /usr | /usr/bin | /usr/share | /usr/share/doc | /usr/share/man | /usr/share/man/man1) continue ;; esac
  [ ! -e "$path" ] || fail "$path is left after dpkg -r"
done <"$work/files"
say "the .deb installed, ran from /usr/bin and was removed without a trace; the tarball ran; checksums hold"
