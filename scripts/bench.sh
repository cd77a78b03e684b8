#!/bin/bash
# Builds Quillmoor and runs the discovery, table refresh and backup benchmark
# under Wine, in a prefix of its own inside the build tree (never ~/.wine), with
# one Wine server for the whole run. Prints a table; the same figures go to
# <build>/bench/results.json (and the table to <build>/bench/results.txt).
# Arguments go to the benchmark, e.g. --sizes 10,100 --hives 1 --runs 5.
# --native [PER_KIND [HIVES [RUNS]]] instead times the engine alone over a
# machine held in memory, built for this machine (bench/native).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"

if [ "${1:-}" = --native ]; then
  shift
  "$root/scripts/setup.sh"
  nbuild="$root/build-bench-native"
  [ -f "$nbuild/build.ninja" ] || CXX=clang++ cmake -S "$root/bench/native" -B "$nbuild" -G Ninja >/dev/null
  cmake --build "$nbuild" >/dev/null
  exec "$nbuild/engine_bench" "$@"
fi

if [ -z "${QLM_IN_XVFB:-}" ]; then
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh" >/dev/null
  cmake -S "$root" -B "$build" -DQLM_BUILD_BENCH=ON >/dev/null
  "$root/scripts/build.sh" --target qlm_bench
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${QLM_IN_XVFB:-}" ]; then
  export QLM_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" "$@"
fi

export WINEPREFIX="$build/benchprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:$build/dist"
"$root/scripts/wine-prefix" "$WINEPREFIX"
mkdir -p "$build/bench"

# Keys made directly under HKEY_USERS live only while the server runs.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

demo="$(winepath -w "$build/demo/files")"
json="$(winepath -w "$build/bench/results.json")"
# Output through a file: Wine's background processes inherit the handles
# and would hold a pipe open.
out="$build/bench/results.txt"
rc=0
: >"$out"
wine "$build/bench-bin/qlm_bench.exe" --demo "$demo" --json "$json" "$@" >"$out" 2>&1 </dev/null &
pid=$!
tail -f --pid="$pid" "$out" | tr -d '\r' || true
wait "$pid" || rc=$?
tr -d '\r' <"$out" >"$out.tmp" && mv "$out.tmp" "$out"
echo "Figures: $build/bench/results.json and $out"
exit $rc
