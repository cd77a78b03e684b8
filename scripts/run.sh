#!/bin/bash
# Builds Quillmoor and tells where the distribution is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
"$root/scripts/build.sh"
echo "Quillmoor is built. The distribution folder is: $build/dist"
ls -l "$build/dist"
