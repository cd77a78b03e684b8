#include "ui/tables/TableFactory.h"

#include "ui/tables/ButtonTable.h"
#include "ui/tables/ExplorerBarTable.h"
#include "ui/tables/HelperObjectTable.h"
#include "ui/tables/MenuExtensionTable.h"
#include "ui/tables/ToolbarTable.h"

std::unique_ptr<TableControlBase> MakeTable(std::int32_t kindId) {
  switch (kindId) {
    case TableId::kToolbars: return std::make_unique<ToolbarTable>();
    case TableId::kButtons: return std::make_unique<ButtonTable>();
    case TableId::kMenuExtensions: return std::make_unique<MenuExtensionTable>();
    case TableId::kExplorerBars: return std::make_unique<ExplorerBarTable>();
    case TableId::kHelperObjects: return std::make_unique<HelperObjectTable>();
    default: return nullptr;
  }
}
