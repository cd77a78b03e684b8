#!/bin/sh
# One fuzz target's run in the test suite: usage
#   run-seeded.sh FUZZER SEEDS WORK CRASHES SECONDS [fuzzer options...]
# The seeds are copied into WORK (made afresh) and the fuzzer runs there, so
# the repository's seed folder is never written; a crash input goes to
# CRASHES. QLM_FUZZ_SECONDS in the environment replaces SECONDS.
set -eu
fuzzer=$1 seeds=$2 work=$3 crashes=$4 seconds=${QLM_FUZZ_SECONDS:-$5}
shift 5
rm -rf "$work"
mkdir -p "$work" "$crashes"
cp "$seeds"/* "$work"/
exec "$fuzzer" "$work" -max_total_time="$seconds" -artifact_prefix="$crashes/$(basename "$fuzzer")-" "$@"
