#pragma once
// A kind's whole listing as the program shows it: the kind's listing
// routine, then each record's state and signature ("state", "signature",
// the record's last values). The tables, qmscan and the benchmark list
// through here.
#include <optional>

#include "engine/kinds/AddonKinds.h"
#include "ozcore/CParams.h"

class FileResolver;

namespace discovery {

class AddonStateReader;
class DiscoveryRun;

std::optional<CResultNodes> ListAddons(const AddonKind& kind, FileResolver& files);

// Adds "state" and "signature" to every record of a listing of the kind,
// in one run (each file's signature checked once).
void AddStatesAndSignatures(const AddonKind& kind, FileResolver& files, CResultNodes& list);

// Adds "state" and "signature" to one record of the kind.
void AddStateAndSignature(const AddonKind& kind, DiscoveryRun& run, AddonStateReader& states, CResultNode& record);

}  // namespace discovery
