#include "ui/tables/ButtonTable.h"

#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/ButtonDiscovery.h"
#include "ui/tables/TableText.h"

ButtonTable::ButtonTable()
    : TableControlBase({TableId::kButtons, L"ucTBButtons", IDS_KIND_BUTTONS, {IDS_COLUMN_BUTTON, IDS_COLUMN_MENU},
                        {IDS_BT_EMPTY, IDS_MENU_EMPTY}, IDS_BT_BROKEN, IDS_DELETE_TITLE_BT}) {}

std::optional<CResultNodes> ButtonTable::Discover() { return discovery::EnumToolbarButtons(); }

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

TableControlBase::DeleteOutcome ButtonTable::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  return DeleteEntryKey(registry, ListRoot(record), Value(record, discovery::keys::kHive), record.ID);
}

unsigned ButtonTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
