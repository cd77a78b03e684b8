#pragma once
// A kind's whole listing as the program shows it: the kind's listing
// routine, then each entry's state and signature. Platform-free.
#include <vector>

#include "engine/kinds/AddonEntry.h"
#include "engine/kinds/AddonKinds.h"

namespace discovery {

class AddonStateReader;
class DiscoveryRun;

// routine: the kind's own unless given. Each file is looked for once in
// the listing (see ListingFiles.h).
std::vector<engine::AddonEntry> ListAddons(const AddonKind& kind, engine::MachineSources& machine,
                                           ListingRoutine routine = nullptr);

// Adds the state, signature and file hash of every entry of a listing of
// the kind, in one run (each file's signature checked and hash taken once).
void AddStatesAndSignatures(const AddonKind& kind, engine::MachineSources& machine,
                            std::vector<engine::AddonEntry>& entries);

// Adds the state and signature of one entry of the kind.
void AddStateAndSignature(const AddonKind& kind, DiscoveryRun& run, AddonStateReader& states,
                          engine::AddonEntry& entry);

}  // namespace discovery
