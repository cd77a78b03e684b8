#include "ui/tables/MenuExtensionTable.h"

#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/MenuExtDiscovery.h"

MenuExtensionTable::MenuExtensionTable()
    : TableControlBase({TableId::kMenuExtensions, L"ucMenuExt", IDS_KIND_MENU_EXTENSIONS, {IDS_COLUMN_MENU_EXTENSION},
                        {IDS_CM_EMPTY}, IDS_CM_BROKEN, IDS_DELETE_TITLE_CM}) {}

std::optional<CResultNodes> MenuExtensionTable::Discover() { return discovery::EnumContextMenus(); }

std::wstring MenuExtensionTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_MENU_EXTENSION);
}

TableControlBase::DeleteOutcome MenuExtensionTable::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  return DeleteEntryKey(registry, ListRoot(record), Value(record, discovery::keys::kHive), record.ID);
}

unsigned MenuExtensionTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
