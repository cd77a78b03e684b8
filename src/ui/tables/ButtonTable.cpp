#include "ui/tables/ButtonTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "ui/tables/TableText.h"

ButtonTable::ButtonTable(ListedSystem& system) : TableControlBase(TableId::kButtons, system) {}

std::vector<std::wstring> ButtonTable::RowTexts(const CResultNode& record) const {
  return {Value(record, discovery::keys::kButtonText), Value(record, discovery::keys::kMenuText)};
}

std::wstring ButtonTable::ObjectName(const CResultNode& record, const std::wstring&) const {
  tables::ButtonNameTexts texts;
  texts.buttonSuffix = LoadStr(IDS_NAME_SUFFIX_BUTTON);
  texts.menuSuffix = LoadStr(IDS_NAME_SUFFIX_MENU);
  texts.sameSuffix = LoadStr(IDS_NAME_SUFFIX_BUTTON_SAME_MENU);
  texts.bothTemplate = LoadStr(IDS_NAME_BUTTON_AND_MENU);
  return tables::ButtonObjectName(Value(record, discovery::keys::kButtonText),
                                  Value(record, discovery::keys::kMenuText), texts);
}

unsigned ButtonTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
