#include "ui/tables/SearchProviderTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/VisibleText.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"

namespace {
bool IsDefault(const CResultNode& record) {
  const CParam* flag = record.params.Find(discovery::keys::kIsDefault);
  return flag && flag->Number() == 1;
}
}  // namespace

SearchProviderTable::SearchProviderTable(ListedSystem& system) : TableControlBase(TableId::kSearchProviders, system) {}

std::wstring SearchProviderTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_SEARCH_PROVIDER);
}

void SearchProviderTable::AddKindDetails(const CResultNode& record, CParams& details) const {
  // The address as text only: nothing here ever opens it.
  details.Add(LoadStr(IDS_CAPTION_SEARCH_ADDRESS), discovery::text::VisibleText(Value(record, discovery::keys::kUrl)));
  details.Add(LoadStr(IDS_CAPTION_DEFAULT_PROVIDER), LoadStr(IsDefault(record) ? IDS_DEFAULT_YES : IDS_DEFAULT_NO));
}

std::wstring SearchProviderTable::ConfirmationText(const CResultNode& record, const std::wstring& name) const {
  if (!IsDefault(record)) return TableControlBase::ConfirmationText(record, name);
  return formattext::Format(LoadStr(IDS_CONFIRM_DELETE_DEFAULT_PROVIDER), {name});
}

unsigned SearchProviderTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
