// The benchmark's count mode: each kind's warm listing and its floor once,
// between marker opens of keys that do not exist, so that a trace of the
// Wine server's requests (WINEDEBUG=+server) can be cut per kind and per
// side; scripts/bench-calls.sh does both. Prints entries and nothing else.
#include "CallCount.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "RegistryFloor.h"
#include "Stats.h"
#include "engine/files/FileResolver.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/FileHashes.h"
#include "engine/kinds/ListingFiles.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/live/LiveListing.h"
#include "engine/live/LiveMachine.h"
#include "ozcore/UniqueHandle.h"

namespace bench {

namespace {
// A request the trace shows with its name; the key is never there.
void Mark(int kind, const wchar_t* part) {
  const std::wstring name = L"QlmCallCount-" + std::to_wstring(kind) + L"-" + part;
  UniqueKey none;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, none.put());
}
}  // namespace

// The parts of a warm listing timed apart (ms): the kind's routine, states,
// signatures, hashes, records.
struct Parts {
  double list = 0, states = 0, signatures = 0, hashes = 0, records = 0;
};

Parts TimeParts(const discovery::AddonKind& kind, FileResolver& files) {
  Parts parts;
  engine::LiveMachine live(files);
  // The files as a listing sees them (each looked for once).
  discovery::ListingFiles machine(live.Sources());
  double t = NowMs();
  std::vector<engine::AddonEntry> entries = kind.list(machine.Sources());
  parts.list = NowMs() - t;
  // States, signatures and hashes timed apart, as AddStatesAndSignatures
  // makes them.
  discovery::DiscoveryRun run(machine.Sources());
  discovery::AddonStateReader states(run);
  discovery::FileHashes hashes(machine.Sources().files);
  for (auto& entry : entries) {
    t = NowMs();
    entry.state = states.StateText(kind, entry);
    parts.states += NowMs() - t;
    t = NowMs();
    if (kind.id != TableId::kSearchProviders) entry.signature = run.SignatureText(entry);
    parts.signatures += NowMs() - t;
    t = NowMs();
    hashes.AddTo(entry);
    parts.hashes += NowMs() - t;
  }
  t = NowMs();
  const CResultNodes records = discovery::ToRecords(entries);
  parts.records = NowMs() - t;
  return parts;
}

void CountCalls() {
  FileResolver files(true);
  for (int kind = 0; kind < kFloorKinds; ++kind) {
    const auto& table = discovery::AddonKinds().at(static_cast<std::size_t>(kind));
    // Cold first: the counted listing finds the file answers kept.
    const auto cold = discovery::ListAddons(table, files);
    Mark(kind, L"listing");
    double t = NowMs();
    const auto warm = discovery::ListAddons(table, files);
    const double listing = NowMs() - t;
    Mark(kind, L"floor");
    t = NowMs();
    const FloorResult floor = ReadLikeDiscovery(1u << kind);
    const double floorMs = NowMs() - t;
    Mark(kind, L"end");
    const Parts parts = TimeParts(table, files);
    std::printf("kind %d: %zu records, floor %zu entries; %.0f / %.0f ms (routine %.0f, states %.0f, signatures %.0f, "
                "hashes %.0f, records %.0f)\n",
                kind, warm ? warm->Count() : 0, floor.entries, listing, floorMs, parts.list, parts.states,
                parts.signatures, parts.hashes, parts.records);
  }
  std::fflush(stdout);
}

}  // namespace bench
