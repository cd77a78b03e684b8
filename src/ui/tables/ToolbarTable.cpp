#include "ui/tables/ToolbarTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "ui/tables/TableText.h"

ToolbarTable::ToolbarTable(ListedSystem& system) : TableControlBase(TableId::kToolbars, system) {}

std::wstring ToolbarTable::ObjectName(const CResultNode&, const std::wstring& rowText) const {
  return tables::ToolbarObjectName(rowText, LoadStr(IDS_NAME_SUFFIX_TOOLBAR));
}

