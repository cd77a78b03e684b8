#include "engine/live/LiveDeletion.h"

#include <windows.h>

#include "engine/sources/AccountNames.h"
#include "engine/sources/LiveRegistry.h"
#include "ozcore/CRegistry.h"

namespace discovery {

DeletionPlan PlanLiveDeletion(const AddonKind& kind, const CResultNode& record) {
  engine::AddonEntry entry = EntryOfRecord(kind, record);
  if (!CRegistry::HasWow32View()) entry.view = RegView::Native;
  engine::LiveRegistry registry;
  engine::RegistryView view(registry, entry.view, AccountNames::TokenUserSid(GetCurrentProcessToken()), nullptr);
  return PlanDeletion(kind, entry, view);
}

}  // namespace discovery
