#pragma once
// A kind's entries on the test prefix's machine as records, without state
// and signature (the discovery tests compare the listing alone).
#include <optional>

#include "engine/files/FileResolver.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/live/LiveMachine.h"

namespace qlmtest {

inline std::optional<CResultNodes> ListLive(const discovery::AddonKind& kind, FileResolver& files,
                                            discovery::ListingRoutine routine = nullptr) {
  engine::LiveMachine machine(files);
  return discovery::ToRecords((routine ? routine : kind.list)(machine.Sources()));
}
inline std::optional<CResultNodes> ListLive(std::int32_t kind, FileResolver& files) {
  return ListLive(discovery::Kind(kind), files);
}

}  // namespace qlmtest
