#include "ui/tables/TableFactory.h"

#include "ui/tables/ButtonTable.h"
#include "ui/tables/ExplorerBarTable.h"
#include "ui/tables/HelperObjectTable.h"
#include "ui/tables/MenuExtensionTable.h"
#include "ui/tables/ProtocolTable.h"
#include "ui/tables/SearchProviderTable.h"
#include "ui/tables/ToolbarTable.h"
#include "ui/tables/UrlSearchHookTable.h"
#include "ui/tables/ActiveXTable.h"

std::unique_ptr<TableControlBase> MakeTable(std::int32_t kindId, ListedSystem& system) {
  switch (kindId) {
    case TableId::kToolbars: return std::make_unique<ToolbarTable>(system);
    case TableId::kButtons: return std::make_unique<ButtonTable>(system);
    case TableId::kMenuExtensions: return std::make_unique<MenuExtensionTable>(system);
    case TableId::kExplorerBars: return std::make_unique<ExplorerBarTable>(system);
    case TableId::kHelperObjects: return std::make_unique<HelperObjectTable>(system);
    case TableId::kUrlSearchHooks: return std::make_unique<UrlSearchHookTable>(system);
    case TableId::kActiveXControls: return std::make_unique<ActiveXTable>(system);
    case TableId::kProtocols: return std::make_unique<ProtocolTable>(system);
    case TableId::kSearchProviders: return std::make_unique<SearchProviderTable>(system);
    default: return nullptr;
  }
}
