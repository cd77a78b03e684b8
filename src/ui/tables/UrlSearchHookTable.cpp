#include "ui/tables/UrlSearchHookTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"

UrlSearchHookTable::UrlSearchHookTable(FileResolver& files) : TableControlBase(TableId::kUrlSearchHooks, files) {}

std::wstring UrlSearchHookTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_URL_SEARCH_HOOK);
}

TableControlBase::DeleteOutcome UrlSearchHookTable::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  const HKEY root = ListRoot(record);
  const std::wstring hive = Value(record, discovery::keys::kHive);
  // An empty value name is the list's default value, which is no hook.
  if (!root || hive.empty() || record.ID.empty()) return Incomplete();
  return {registry.DeleteValue(root, hive, record.ID), {}};
}

unsigned UrlSearchHookTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
