#include "ui/tables/ExplorerBarTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"

ExplorerBarTable::ExplorerBarTable(ListedSystem& system) : TableControlBase(TableId::kExplorerBars, system) {}

std::wstring ExplorerBarTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_EXPLORER_BAR);
}

EntryKey ExplorerBarTable::CategoryKey(CRegistry& registry, const CResultNode& record) {
  const std::wstring category = Value(record, discovery::keys::kCatId);
  // Either name holding a separator would name another key.
  if (record.ID.empty() || record.ID.find(L'\\') != std::wstring::npos || category.empty() ||
      category.find(L'\\') != std::wstring::npos)
    return {};
  // The bar was listed through the merged classes view, whose category key
  // is the machine's or else the current user's: it is that hive's, never
  // the merged view's, which would reach the user's copy while the
  // machine's, the one listed, stayed.
  const std::wstring categories =
      formattext::Format(L"Software\\Classes\\CLSID\\%1\\Implemented Categories", {record.ID});
  const bool machine = registry.KeyExists(HKEY_LOCAL_MACHINE, categories + L"\\" + category);
  return {machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, categories + L"\\" + category};
}

EntryKey ExplorerBarTable::EntryLocation(CRegistry& registry, const CResultNode& record) const {
  return CategoryKey(registry, record);
}

unsigned ExplorerBarTable::FailureLogText() const { return IDS_EB_DELETE_LOG; }
