#include "ui/tables/HelperObjectTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"

HelperObjectTable::HelperObjectTable(ListedSystem& system) : TableControlBase(TableId::kHelperObjects, system) {}

std::wstring HelperObjectTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_HELPER_OBJECT);
}

EntryKey HelperObjectTable::EntryLocation(CRegistry&, const CResultNode& record) const {
  return {HKEY_LOCAL_MACHINE, std::wstring(KindOfTable().machinePath) + L"\\" + record.ID};
}

unsigned HelperObjectTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
