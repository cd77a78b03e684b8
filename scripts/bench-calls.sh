#!/bin/bash
# Counts the Wine server's requests of each kind's warm listing and of its
# floor (the same registry reads by a minimal loop), from a trace of one
# run of the benchmark's count mode over a small synthetic registry.
# Usage: scripts/bench-calls.sh [--times] [PER_KIND [HIVES]]   (defaults 200
# and 4); --times: no trace, only the times of each kind's parts.
# The benchmark must be built (scripts/bench.sh builds it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"
trace_calls=1
if [ "${1:-}" = --times ]; then trace_calls=0; shift; fi
per_kind="${1:-200}" hives="${2:-4}"
export WINEPREFIX="$build/benchprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:$build/dist"
"$root/scripts/wine-prefix" "$WINEPREFIX"
mkdir -p "$build/bench"
trace="$build/bench/calls-trace.txt"
demo="$(winepath -w "$build/demo/files")"
# The server traces every request it is sent (-d1), to the file.
wineserver -k 2>/dev/null || true
if [ $trace_calls = 1 ]; then wineserver -p -d1 2>"$trace"; else wineserver -p; fi
trap 'wineserver -k 2>/dev/null || true' EXIT
wine "$build/bench-bin/qlm_bench.exe" --count "$per_kind" "$hives" "$demo" </dev/null | tr -d '\r'
[ $trace_calls = 1 ] || exit 0
python3 - "$trace" <<'PY'
import collections, re, sys
marker = re.compile(r'^(\w{4}): open_key\( .*name=L"QlmCallCount-(\d)-(\w+)"')
request = re.compile(r'^(\w{4}): (\w+)\( ')
counts = collections.defaultdict(collections.Counter)
part, thread = None, None
with open(sys.argv[1], errors='replace') as trace:
    for line in trace:
        m = marker.match(line)
        if m:
            thread = m.group(1)
            part = None if m.group(3) == 'end' else (int(m.group(2)), m.group(3))
            continue
        m = request.match(line)
        if part and m and m.group(1) == thread:
            counts[part][m.group(2)] += 1
print('%-5s %-8s %7s  %s' % ('kind', 'side', 'calls', 'most frequent requests'))
for key in sorted(counts):
    c = counts[key]
    top = ', '.join('%s %d' % kv for kv in c.most_common(6))
    print('%-5d %-8s %7d  %s' % (key[0], key[1], sum(c.values()), top))
PY
