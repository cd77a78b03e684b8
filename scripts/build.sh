#!/bin/bash
# Configures (once) and builds Quillmoor out of tree into build/.
# The distribution is build/dist.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" "$@"
