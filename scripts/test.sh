#!/bin/bash
# Builds everything and runs every test under Wine, in a prefix inside the
# build tree (created once, then reused), with a virtual display when none
# is set. Extra arguments go to ctest (for example -R ExportKeyText); without
# them the native suite (scripts/native-test.sh) runs first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
# The platform-free parts first, natively with sanitizers and fuzzers: they
# fail in seconds. Once, not again inside the virtual display; not when
# ctest arguments pick particular tests.
if [ -z "${QLM_IN_XVFB:-}" ] && [ $# -eq 0 ]; then
  "$root/scripts/native-test.sh"
fi
"$root/scripts/build.sh"

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine-prefix" "$WINEPREFIX"

run_tests() {
  # One Wine server for the whole run: tests start faster, and keys made
  # under HKEY_USERS live as long as the run.
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  cd "$build"
  ctest -j2 --output-on-failure --timeout 600 "$@"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${QLM_IN_XVFB:-}" ]; then
  # No display: run the tests inside a virtual one.
  export QLM_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1600x1200x24 -nolisten tcp" "$0" "$@"
fi
run_tests "$@"
