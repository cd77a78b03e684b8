#include "engine/live/LiveListing.h"

#include "core/ErrorReport.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/live/LiveMachine.h"

namespace discovery {

namespace {
// The procedure a failed listing is logged under, as it always was.
const wchar_t* ListingProcedure(const AddonKind& kind, ListingRoutine routine) {
  if (routine == &ListAllProtocols) return L"EnumAllProtocols";
  switch (kind.id) {
    case TableId::kToolbars: return L"EnumToolbars";
    case TableId::kButtons: return L"EnumToolbarButtons";
    case TableId::kMenuExtensions: return L"EnumContextMenus";
    case TableId::kExplorerBars: return L"EnumObjects";
    case TableId::kHelperObjects: return L"EnumBHOs";
    case TableId::kUrlSearchHooks: return L"EnumUrlSearchHooks";
    case TableId::kActiveXControls: return L"EnumActiveXControls";
    case TableId::kProtocols: return L"EnumProtocols";
    case TableId::kSearchProviders: return L"EnumSearchProviders";
    default: return L"List";
  }
}
}  // namespace

std::optional<CResultNodes> ListAddons(const AddonKind& kind, FileResolver& files, ListingRoutine routine) {
  std::optional<CResultNodes> result;
  Guarded(std::wstring(kind.typeName) + L"." + ListingProcedure(kind, routine), kLevelDiscovery, [&] {
    engine::LiveMachine machine(files);
    result = ListAddons(kind, machine, routine);
  });
  return result;
}

std::optional<CResultNodes> ListAddons(const AddonKind& kind, engine::LiveMachine& machine, ListingRoutine routine) {
  std::optional<CResultNodes> result;
  Guarded(std::wstring(kind.typeName) + L"." + ListingProcedure(kind, routine), kLevelDiscovery, [&] {
    result = ToRecords(ListAddons(kind, machine.Sources(), routine));
  });
  return result;
}

}  // namespace discovery
