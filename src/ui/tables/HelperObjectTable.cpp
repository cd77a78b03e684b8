#include "ui/tables/HelperObjectTable.h"

#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/BhoDiscovery.h"

HelperObjectTable::HelperObjectTable()
    : TableControlBase({TableId::kHelperObjects, L"ucBHO", IDS_KIND_HELPER_OBJECTS, {IDS_COLUMN_HELPER_OBJECT},
                        {IDS_BHO_EMPTY}, IDS_BHO_BROKEN, IDS_DELETE_TITLE_BHO}) {}

std::optional<CResultNodes> HelperObjectTable::Discover() { return discovery::EnumBHOs(); }

std::wstring HelperObjectTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_HELPER_OBJECT);
}

TableControlBase::DeleteOutcome HelperObjectTable::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  return DeleteEntryKey(registry, HKEY_LOCAL_MACHINE, discovery::kBhoPath, record.ID);
}

unsigned HelperObjectTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
