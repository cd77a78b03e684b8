#include "ui/tables/ucMenuExt.h"

#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/MenuExtDiscovery.h"

ucMenuExt::ucMenuExt()
    : TableControlBase({TableId::kMenuExtensions, L"ucMenuExt", IDS_KIND_MENU_EXTENSIONS, {IDS_COLUMN_MENU_EXTENSION},
                        {IDS_CM_EMPTY}, IDS_CM_BROKEN, IDS_DELETE_TITLE_CM}) {}

std::optional<CResultNodes> ucMenuExt::Discover() { return discovery::EnumContextMenus(); }

std::wstring ucMenuExt::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_MENU_EXTENSION);
}

TableControlBase::DeleteOutcome ucMenuExt::DeleteEntry(CRegistry& registry, const CResultNode& record) {
  return DeleteEntryKey(registry, ListRoot(record), Value(record, discovery::keys::kHive), record.ID);
}

unsigned ucMenuExt::FailureLogText() const { return IDS_CANNOT_DELETE; }
