#!/bin/bash
# Builds the Linux qmscan (scripts/build-linux.sh) and makes its release
# files in OUT (default build/release/):
#   quillmoor-qmscan_<version>_amd64.deb   /usr/bin/qmscan, its manual page
#                                          (made from README.md), the licence
#                                          and third-party notices in
#                                          /usr/share/doc/quillmoor-qmscan
#   qmscan-<version>-linux-x86_64.tar.gz   one folder with the same files
#   SHA256SUMS                             checksums of both
# scripts/package.sh runs it and lists these with the Windows files in its
# own SHA256SUMS. The version is the CMake project version.
#   package-linux.sh [OUT]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-${QLM_RELEASE_DIR:-$root/build/release}}"
linux_build="${QLM_LINUX_BUILD_DIR:-$root/build/linux}"

fail() { echo "package-linux: $*" >&2; exit 1; }
for tool in dpkg-deb dpkg-shlibdeps gzip tar strip; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

version="$(sed -n 's/^project(Quillmoor VERSION \([0-9]*\.[0-9]*\.[0-9]*\).*/\1/p' "$root/CMakeLists.txt")"
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no version in CMakeLists.txt"
# Member times: the last commit's, so the same tree packs the same bytes.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"

QLM_LINUX_BUILD_DIR="$linux_build" "$root/scripts/build-linux.sh" >/dev/null

mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d "$out/.stage-linux.XXXXXX")"
trap 'rm -rf "$work"' EXIT

package=quillmoor-qmscan
deb="${package}_${version}_amd64.deb"
tarball="qmscan-$version-linux-x86_64"

# The files once, stripped and made, then laid out twice.
strip --strip-unneeded -o "$work/qmscan" "$linux_build/qmscan"
"$root/packaging/readme-to-man.sh" "$root/README.md" "$version" >"$work/qmscan.1"

stage="$work/deb"
docs="$stage/usr/share/doc/$package"
install -d -m 755 "$stage/DEBIAN" "$stage/usr/bin" "$stage/usr/share/man/man1" "$docs"
install -m 755 "$work/qmscan" "$stage/usr/bin/qmscan"
gzip -9n <"$work/qmscan.1" >"$stage/usr/share/man/man1/qmscan.1.gz"
install -m 644 "$root/LICENSE" "$docs/copyright"
install -m 644 "$root/packaging/THIRD-PARTY-linux.txt" "$docs/THIRD-PARTY"
chmod 644 "$stage/usr/share/man/man1/qmscan.1.gz"

# The libraries qmscan was linked with, as Debian's tool names them.
mkdir -p "$work/shlibs/debian" && touch "$work/shlibs/debian/control"
depends="$(cd "$work/shlibs" && dpkg-shlibdeps -O -e "$stage/usr/bin/qmscan" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"
[ -n "$depends" ] || fail "dpkg-shlibdeps named no libraries for qmscan"
cat >"$stage/DEBIAN/control" <<EOF
Package: $package
Version: $version
Architecture: amd64
Maintainer: Quillmoor Team <quillmoor-team@invalid>
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Section: utils
Priority: optional
Description: lists the Internet Explorer add-ons of an offline Windows image
 qmscan reads a Windows system that is not running (a disk image mounted
 or extracted into a folder, or registry hive files on their own) and lists
 every Internet Explorer add-on it finds, with its file, maker, version,
 state and signature, as CSV or JSON; it can compare the listing with an
 earlier one. Nothing in the image is written and no link in it is followed.
EOF
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
rm -f "$out/$deb" "$out/$tarball.tar.gz" "$out/SHA256SUMS"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$out/$deb" >/dev/null

folder="$work/$tarball"
mkdir -p "$folder"
install -m 755 "$work/qmscan" "$folder/qmscan"
install -m 644 "$work/qmscan.1" "$folder/qmscan.1"
install -m 644 "$root/LICENSE" "$folder/LICENSE"
install -m 644 "$root/packaging/THIRD-PARTY-linux.txt" "$folder/THIRD-PARTY.txt"
tar -C "$work" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
  -cf - "$tarball" | gzip -9n >"$out/$tarball.tar.gz"

(cd "$out" && sha256sum "$deb" "$tarball.tar.gz" >SHA256SUMS)
echo "package-linux: version $version in $out: $deb, $tarball.tar.gz, SHA256SUMS"
