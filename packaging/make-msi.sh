#!/bin/bash
# Makes the installer from a folder of release files with wixl.
# Usage: make-msi.sh STAGE_DIR VERSION OUT.msi
#
# Every file of STAGE_DIR goes to Program Files\Quillmoor, one component per
# file, with a Start menu shortcut to Quillmoor.exe. The product code is
# derived from the version (each version its own, the same one every time it
# is built), the component codes from the file names, so a file keeps its
# component from one version to the next.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ $# -eq 3 ] || { echo "usage: make-msi.sh STAGE_DIR VERSION OUT.msi" >&2; exit 2; }
stage="$(cd "$1" && pwd)"
version="$2"
out="$3"

# Windows Installer versions: major and minor up to 255, build up to 65535;
# upgrades compare these three fields only.
if ! [[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] ||
   [ "${BASH_REMATCH[1]}" -gt 255 ] || [ "${BASH_REMATCH[2]}" -gt 255 ] ||
   [ "${BASH_REMATCH[3]}" -gt 65535 ]; then
  echo "make-msi: version '$version' is not major.minor.build (255.255.65535 at most)" >&2
  exit 2
fi
[ -f "$stage/Quillmoor.exe" ] || { echo "make-msi: no Quillmoor.exe in $stage" >&2; exit 1; }

# A name-based GUID (SHA-1, version 5 layout) of a text.
guid_of() {
  local h
  h="$(printf 'Quillmoor installer x64\n%s' "$1" | sha1sum | tr a-f A-F)"
  local variant
  variant="$(printf '%X' $(( (16#${h:16:1} & 3) | 8 )))"
  printf '%s-%s-5%s-%s%s-%s' "${h:0:8}" "${h:8:4}" "${h:13:3}" "$variant" "${h:17:3}" "${h:20:12}"
}

xml_escape() {
  local s="$1"
  s="${s//&/&amp;}"; s="${s//</&lt;}"; s="${s//>/&gt;}"; s="${s//\"/&quot;}"
  printf '%s' "$s"
}

components=""
refs=""
shopt -s nullglob
count=0
bytes=0
for path in "$stage"/*; do
  [ -f "$path" ] || { echo "make-msi: $path is not a plain file" >&2; exit 1; }
  name="$(basename "$path")"
  id="F_$(printf '%s' "$name" | tr -c 'A-Za-z0-9_.' '_')"
  cid="C_${id#F_}"
  file="          <Component Id=\"$cid\" Guid=\"$(guid_of "component $name")\" Win64=\"yes\">"$'\n'
  file+="            <File Id=\"$id\" Name=\"$(xml_escape "$name")\" Source=\"$(xml_escape "$name")\" KeyPath=\"yes\" />"$'\n'
  file+="          </Component>"$'\n'
  components+="$file"
  refs+="      <ComponentRef Id=\"$cid\" />"$'\n'
  count=$((count + 1))
  bytes=$((bytes + $(stat -c %s "$path")))
done
[ $count -gt 0 ] || { echo "make-msi: $stage is empty" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
wxs="$work/Quillmoor.wxs"
template="$(<"$here/Quillmoor.wxs.in")"
template="${template//@VERSION@/$version}"
# The size the installed-programs list shows, in KB.
template="${template//@SIZE_KB@/$(( (bytes + 1023) / 1024 ))}"
template="${template//@PRODUCT_CODE@/$(guid_of "product $version")}"
template="${template//@COMPONENTS@/${components%$'\n'}}"
template="${template//@COMPONENT_REFS@/${refs%$'\n'}}"
printf '%s\n' "$template" >"$wxs"

mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
# wixl finds the sources by name in its working folder.
(cd "$stage" && wixl --arch x64 -o "$out.tmp" "$wxs")
mv "$out.tmp" "$out"
