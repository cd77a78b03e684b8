#!/bin/bash
# Runs the native fuzz targets longer than the test suite does:
#   scripts/fuzz.sh [seconds] [target...]
# seconds per target (default 300); targets by name (RegFileReaderFuzz ...),
# default all. They run side by side, one per processor (QLM_FUZZ_JOBS to
# change). Each starts from its seeds in tests/native/corpus/<Target>/ and
# keeps what it finds in build-native/corpus-work/<Target>/, so the next run
# goes on from there; the seeds are only read. Crash inputs go to
# build-native/fuzz-crashes/, logs to build-native/fuzz-logs/. A crash
# found belongs in a regular test (tests/native/<Name>Test.cpp).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_NATIVE_BUILD_DIR:-$root/build-native}"

seconds=300
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi

"$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root/tests/native" -B "$build" -G Ninja >/dev/null
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in "$root"/tests/native/fuzz/*Fuzz.cpp; do
    targets+=("$(basename "$src" .cpp)")
  done
fi
for t in "${targets[@]}"; do
  if [ ! -f "$root/tests/native/fuzz/$t.cpp" ]; then
    echo "fuzz: no target $t (tests/native/fuzz/$t.cpp)" >&2
    exit 2
  fi
done
cmake --build "$build" --target "${targets[@]}"

crashes="$build/fuzz-crashes"
logs="$build/fuzz-logs"
mkdir -p "$crashes" "$logs"
jobs="${QLM_FUZZ_JOBS:-$(nproc)}"
echo "fuzz: ${#targets[@]} target(s), ${seconds} s each, $jobs at a time; logs in $logs"

run_one() {
  local t=$1 work="$build/corpus-work/$1"
  mkdir -p "$work"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/$t" "$work" "$root/tests/native/corpus/$t" -max_total_time="$seconds" \
    -artifact_prefix="$crashes/$t-" -max_len=4096 -rss_limit_mb=1024 -timeout=10 >"$logs/$t.log" 2>&1; then
    echo "fuzz: $t passed ($(ls "$work" | wc -l) inputs kept in $work)"
  else
    echo "fuzz: $t FAILED, see $logs/$t.log"
    return 1
  fi
}

failed=0
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done

if [ "$failed" -ne 0 ]; then
  echo "fuzz: crash inputs are in $crashes:"
  ls -l "$crashes" >&2
  echo "fuzz: replay one with $build/<Target> <file>; make it a test in tests/native/<Name>Test.cpp"
  exit 1
fi
echo "fuzz: no crash (crash inputs would be in $crashes)"
