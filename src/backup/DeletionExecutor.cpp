#include "backup/DeletionExecutor.h"

#include <windows.h>

#include "core/Strings.h"
#include "engine/text/ProtocolText.h"
#include "ozcore/CRegistry.h"

namespace backup {

DeletionOutcome CarryOut(const discovery::DeletionPlan& plan) {
  DeletionOutcome outcome;
  if (!plan.complete || plan.key.empty()) {
    outcome.reason = LoadStr(IDS_DELETE_INCOMPLETE_ENTRY);
    return outcome;
  }
  // The plan names keys as they are stored: read and written in the
  // native view, so nothing is redirected a second time.
  CRegistry registry(CRegistry::HasWow32View() ? RegView::Native : RegView::Default);
  const HKEY root = plan.tree == engine::Tree::Users ? HKEY_USERS : HKEY_LOCAL_MACHINE;
  if (plan.value) {
    outcome.deleted = registry.DeleteValue(root, plan.key, *plan.value);
    return outcome;
  }
  const std::wstring entry = plan.entryName;
  std::function<bool(const std::wstring&)> clearWhen;
  if (!plan.parentValue.empty())
    clearWhen = [entry](const std::wstring& text) { return discovery::text::NamesSameEntry(text, entry); };
  outcome.deleted = registry.DeleteKeyThenValue(root, plan.key, plan.parentValue, clearWhen, outcome.reason);
  return outcome;
}

}  // namespace backup
