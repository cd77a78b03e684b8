#include "ui/tables/ExplorerBarTable.h"

#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "ozcore/CUtilities.h"

ExplorerBarTable::ExplorerBarTable(FileResolver& files) : TableControlBase(TableId::kExplorerBars, files) {}

std::wstring ExplorerBarTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_EXPLORER_BAR);
}

TableControlBase::DeleteOutcome ExplorerBarTable::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  // Only the bar's membership in the category it was listed for goes.
  const std::wstring category = Value(record, discovery::keys::kCatId);
  if (record.ID.empty() || record.ID.find(L'\\') != std::wstring::npos) return Incomplete();
  // The bar was listed through the merged classes view, whose category key
  // is the machine's or else the current user's: it goes from that hive,
  // never through the merged view, which would reach the user's copy
  // while the machine's, the one listed, stayed.
  const std::wstring categories =
      CUtilities::FormatString(L"Software\\Classes\\CLSID\\%1\\Implemented Categories", {record.ID});
  const bool machine = !category.empty() && category.find(L'\\') == std::wstring::npos &&
                       registry.KeyExists(HKEY_LOCAL_MACHINE, categories + L"\\" + category);
  return DeleteEntryKey(registry, machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, categories, category);
}

unsigned ExplorerBarTable::FailureLogText() const { return IDS_EB_DELETE_LOG; }
