#include "ui/tables/ucExplorerBars.h"

#include "app/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/ExplorerBarDiscovery.h"
#include "ozcore/CUtilities.h"

ucExplorerBars::ucExplorerBars()
    : TableControlBase({TableId::kExplorerBars, L"ucExplorerBars", IDS_KIND_EXPLORER_BARS, {IDS_COLUMN_EXPLORER_BAR},
                        {IDS_EB_EMPTY}, IDS_EB_BROKEN, IDS_DELETE_TITLE_EB}) {}

std::optional<CResultNodes> ucExplorerBars::Discover() { return discovery::EnumObjects(); }

std::wstring ucExplorerBars::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_EXPLORER_BAR);
}

TableControlBase::DeleteOutcome ucExplorerBars::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  // Only the bar's membership in the category it was listed for goes.
  const std::wstring category = Value(record, discovery::keys::kCatId);
  if (record.ID.empty() || record.ID.find(L'\\') != std::wstring::npos) return Incomplete();
  return DeleteEntryKey(registry, HKEY_CLASSES_ROOT,
                        CUtilities::FormatString(L"CLSID\\%1\\Implemented Categories", {record.ID}), category);
}

unsigned ucExplorerBars::FailureLogText() const { return IDS_EB_DELETE_LOG; }
