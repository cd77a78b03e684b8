#pragma once
// The deletion plan of a listed add-on on the running machine: the
// registry it was listed from, in the view it was listed in, with the
// classes this process's user sees.
#include "engine/kinds/DeletionPlan.h"

namespace discovery {

DeletionPlan PlanLiveDeletion(const AddonKind& kind, const CResultNode& record);

}  // namespace discovery
