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

std::unique_ptr<TableControlBase> MakeTable(std::int32_t kindId, FileResolver& files) {
  switch (kindId) {
    case TableId::kToolbars: return std::make_unique<ToolbarTable>(files);
    case TableId::kButtons: return std::make_unique<ButtonTable>(files);
    case TableId::kMenuExtensions: return std::make_unique<MenuExtensionTable>(files);
    case TableId::kExplorerBars: return std::make_unique<ExplorerBarTable>(files);
    case TableId::kHelperObjects: return std::make_unique<HelperObjectTable>(files);
    case TableId::kUrlSearchHooks: return std::make_unique<UrlSearchHookTable>(files);
    case TableId::kActiveXControls: return std::make_unique<ActiveXTable>(files);
    case TableId::kProtocols: return std::make_unique<ProtocolTable>(files);
    case TableId::kSearchProviders: return std::make_unique<SearchProviderTable>(files);
    default: return nullptr;
  }
}
