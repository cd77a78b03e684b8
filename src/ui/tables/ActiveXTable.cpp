#include "ui/tables/ActiveXTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "engine/text/VisibleText.h"

ActiveXTable::ActiveXTable(ListedSystem& system) : TableControlBase(TableId::kActiveXControls, system) {}

std::wstring ActiveXTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_ACTIVEX_CONTROL);
}

void ActiveXTable::AddKindDetails(const CResultNode& record, CParams& details) const {
  // The address as text only: nothing here ever opens it.
  const std::wstring codeBase = Value(record, discovery::keys::kCodeBase);
  if (!codeBase.empty()) details.Add(LoadStr(IDS_CAPTION_DOWNLOAD_ADDRESS), discovery::text::VisibleText(codeBase));
}

unsigned ActiveXTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
