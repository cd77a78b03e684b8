#pragma once
// The running machine's add-ons as the window, qmscan and the benchmark
// take them: records (see AddonRecord.h), with state and signature. A
// listing that fails is logged under the kind's own context and gives
// nothing, so the others still list.
#include <optional>

#include "engine/kinds/AddonKinds.h"
#include "ozcore/CParams.h"

class FileResolver;
namespace engine {
class LiveMachine;
}

namespace discovery {

// routine: the kind's own unless given (the protocols' list with the
// system's own handlers).
std::optional<CResultNodes> ListAddons(const AddonKind& kind, FileResolver& files, ListingRoutine routine = nullptr);
// The same over a machine made once for several kinds: the hives of users
// who are not signed in are read once, not once per kind.
std::optional<CResultNodes> ListAddons(const AddonKind& kind, engine::LiveMachine& machine,
                                       ListingRoutine routine = nullptr);

}  // namespace discovery
