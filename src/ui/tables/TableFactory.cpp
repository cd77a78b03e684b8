#include "ui/tables/TableFactory.h"

#include "ui/tables/ButtonTable.h"
#include "ui/tables/ExplorerBarTable.h"
#include "ui/tables/HelperObjectTable.h"
#include "ui/tables/MenuExtensionTable.h"
#include "ui/tables/ToolbarTable.h"

std::unique_ptr<TableControlBase> MakeTable(std::int32_t kindId, FileResolver& files) {
  switch (kindId) {
    case TableId::kToolbars: return std::make_unique<ToolbarTable>(files);
    case TableId::kButtons: return std::make_unique<ButtonTable>(files);
    case TableId::kMenuExtensions: return std::make_unique<MenuExtensionTable>(files);
    case TableId::kExplorerBars: return std::make_unique<ExplorerBarTable>(files);
    case TableId::kHelperObjects: return std::make_unique<HelperObjectTable>(files);
    default: return nullptr;
  }
}
