#!/bin/bash
# Builds the platform-free parts for this machine with clang and the
# address and undefined-behaviour sanitizers, runs their tests and each
# fuzz target for a few seconds (environment QLM_FUZZ_SECONDS, default 5:
# a minute of fuzzing in all) from its
# seeds in tests/native/corpus/. Extra arguments go to ctest. The Wine
# suite (scripts/test.sh) runs this first; scripts/fuzz.sh fuzzes longer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_NATIVE_BUILD_DIR:-$root/build-native}"

"$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root/tests/native" -B "$build" -G Ninja >/dev/null
fi
cmake "$build" -DQLM_FUZZ_SECONDS="${QLM_FUZZ_SECONDS:-5}" >/dev/null
cmake --build "$build"
# The Linux qmscan, which the native tests run over an image.
"$root/scripts/build-linux.sh"
cd "$build"
touch .native-test-start
if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest -j2 --output-on-failure --timeout 300 "$@"; then
  # A fuzz target's crash input, to replay with "<Target> <file>" and keep
  # as a test in tests/native/<Name>Test.cpp.
  find fuzz-crashes -type f -newer .native-test-start 2>/dev/null | sed "s|^|native-test: crash input $build/|" >&2
  exit 1
fi
# The Linux release files: made, unpacked, installed and removed (as root).
"$root/tests/release/linux-package-test.sh" "$build/linux-package"
