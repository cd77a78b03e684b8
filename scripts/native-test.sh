#!/bin/bash
# Builds the platform-free parts for this machine with clang and the
# address and undefined-behaviour sanitizers, runs their tests and each
# fuzz target for a few seconds (QLM_FUZZ_SECONDS). Extra arguments go to
# ctest. The Wine suite (scripts/test.sh) runs this first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_NATIVE_BUILD_DIR:-$root/build-native}"

"$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root/tests/native" -B "$build" -G Ninja \
    -DQLM_FUZZ_SECONDS="${QLM_FUZZ_SECONDS:-10}" >/dev/null
fi
cmake --build "$build"
cd "$build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -j2 --output-on-failure --timeout 300 "$@"
