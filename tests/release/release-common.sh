# Shared by the release tests (sourced). Arguments of every test script:
#   SOURCE_DIR BUILD_DIR RELEASECHECK_EXE
# The release files are made by Release.Package into BUILD_DIR/release; the
# tests that run Windows programs use a Wine prefix of their own,
# BUILD_DIR/releaseprefix, so that installing and uninstalling never touch
# the prefix of the other tests.
set -euo pipefail
root="$1"
build="$2"
release_check="$3"
release="$build/release"
prefix="$build/releaseprefix"
version="$(tr -d '[:space:]' <"$build/version.txt")"
name="Quillmoor-$version-x64"
binaries=(Quillmoor.exe qmscan.exe ozCore.dll QLMCustom.dll Stoatline.dll)
texts=(README.txt LICENSE.txt THIRD-PARTY.txt)

failures=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; failures=$((failures + 1)); }
# check DESCRIPTION COMMAND...: the command's success is the check.
check() {
  local what="$1"
  shift
  if "$@"; then ok "$what"; else bad "$what"; fi
}
finish() {
  if [ $failures -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}

work="$(mktemp -d "$build/release-test.XXXXXX")"
# Only the release prefix's own server: the suite's prefix (inherited in
# WINEPREFIX) has a server the other tests share.
release_server=""
cleanup() {
  if [ -n "$release_server" ]; then WINEPREFIX="$release_server" wineserver -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The release prefix, made once, with its own server for this test. The
# menu builder is off so that shortcuts do not reach this machine's desktop.
use_release_prefix() {
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  unset WINEPATH
  "$root/scripts/wine-prefix" "$prefix"
  wineserver -p
  release_server="$prefix"
}

# win STDOUT_FILE PROGRAM ARGS...: runs a Windows program; its output goes
# through files, not pipes (Wine's background processes inherit the handles
# and would keep a pipe open), with line ends made LF. Returns its exit code.
win() {
  local out="$1"
  shift
  local rc=0
  wine "$@" >"$out.raw" 2>"$out.err" </dev/null || rc=$?
  tr -d '\r' <"$out.raw" >"$out"
  rm -f "$out.raw"
  return $rc
}

winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Every file of a folder that is a plain file, sorted, one a line.
file_list() { (cd "$1" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort); }
expected_list() { printf '%s\n' "${binaries[@]}" "${texts[@]}" | LC_ALL=C sort; }
