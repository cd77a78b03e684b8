#pragma once
// Carries out an add-on's deletion plan on the running machine's registry,
// through the link-safe calls: the key is opened once without following a
// link and deleted through that handle, the keys below it walked without
// following links; a value is deleted from its key, never through a link.
#include <string>

#include "engine/kinds/DeletionPlan.h"

namespace backup {

struct DeletionOutcome {
  bool deleted = false;
  std::wstring reason;  // the system's message, or why nothing was tried
};

DeletionOutcome CarryOut(const discovery::DeletionPlan& plan);

}  // namespace backup
