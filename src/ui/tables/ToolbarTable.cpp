#include "ui/tables/ToolbarTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "ui/tables/TableText.h"

ToolbarTable::ToolbarTable(FileResolver& files) : TableControlBase(TableId::kToolbars, files) {}

std::wstring ToolbarTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return tables::ToolbarObjectName(rowText, LoadStr(IDS_NAME_SUFFIX_TOOLBAR));
}

TableControlBase::DeleteOutcome ToolbarTable::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  const HKEY root = ListRoot(record);
  const std::wstring hive = Value(record, discovery::keys::kHive);
  // An empty value name is the key's default value, which is no toolbar.
  if (!root || hive.empty() || record.ID.empty()) return Incomplete();
  return {registry.DeleteValue(root, hive, record.ID), {}};
}
