#include "ui/tables/MenuExtensionTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"

MenuExtensionTable::MenuExtensionTable(ListedSystem& system) : TableControlBase(TableId::kMenuExtensions, system) {}

std::wstring MenuExtensionTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return rowText + LoadStr(IDS_NAME_SUFFIX_MENU_EXTENSION);
}

unsigned MenuExtensionTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
