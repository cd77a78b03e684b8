#!/bin/bash
# Builds qmscan for Linux (build/linux/qmscan): the platform-free engine and
# qmscan with their POSIX edges, optimised, no sanitizers. The native test
# step runs it over an image it writes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_LINUX_BUILD_DIR:-$root/build/linux}"
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root/src/qmscan/linux" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build"
