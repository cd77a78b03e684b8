#pragma once
// Runs each kind's warm listing and its floor once between markers, for a
// count of the Wine server's requests (scripts/bench-calls.sh).

namespace bench {
void CountCalls();
}  // namespace bench
