#include "ui/tables/UrlSearchHookTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"

UrlSearchHookTable::UrlSearchHookTable(ListedSystem& system) : TableControlBase(TableId::kUrlSearchHooks, system) {}

std::wstring UrlSearchHookTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_URL_SEARCH_HOOK);
}

unsigned UrlSearchHookTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
