#include "engine/kinds/AddonKinds.h"

#include <stdexcept>

#include "StringIds.h"
#include "engine/kinds/ListingRoutines.h"

namespace discovery {

const std::vector<AddonKind>& AddonKinds() {
  static const std::vector<AddonKind> kinds = {
      {TableId::kToolbars, L"toolbar", L"ucTB", IDS_KIND_TOOLBARS, {IDS_COLUMN_TOOLBAR}, {IDS_TB_EMPTY},
       IDS_TB_BROKEN, IDS_DELETE_TITLE_TB, L"Software\\Microsoft\\Internet Explorer\\Toolbar",
       L"Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser", true, {}, &ListToolbars,
       L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser", false, true},
      {TableId::kButtons, L"button", L"ucTBButtons", IDS_KIND_BUTTONS, {IDS_COLUMN_BUTTON, IDS_COLUMN_MENU},
       {IDS_BT_EMPTY, IDS_MENU_EMPTY}, IDS_BT_BROKEN, IDS_DELETE_TITLE_BT,
       L"Software\\Microsoft\\Internet Explorer\\Extensions", L"Software\\Microsoft\\Internet Explorer\\Extensions",
       false, {}, &ListToolbarButtons, nullptr, nullptr, false, true},
      {TableId::kMenuExtensions, L"menuext", L"ucMenuExt", IDS_KIND_MENU_EXTENSIONS, {IDS_COLUMN_MENU_EXTENSION},
       {IDS_CM_EMPTY}, IDS_CM_BROKEN, IDS_DELETE_TITLE_CM, L"Software\\Microsoft\\Internet Explorer\\MenuExt",
       L"Software\\Microsoft\\Internet Explorer\\MenuExt", false, {}, &ListMenuExtensions},
      {TableId::kExplorerBars, L"explorerbar", L"ucExplorerBars", IDS_KIND_EXPLORER_BARS, {IDS_COLUMN_EXPLORER_BAR},
       {IDS_EB_EMPTY}, IDS_EB_BROKEN, IDS_DELETE_TITLE_EB, L"", L"", false,
       {L"{00021493-0000-0000-C000-000000000046}", L"{00021494-0000-0000-C000-000000000046}"}, &ListExplorerBars, nullptr, nullptr, false, true},
      {TableId::kHelperObjects, L"bho", L"ucBHO", IDS_KIND_HELPER_OBJECTS, {IDS_COLUMN_HELPER_OBJECT}, {IDS_BHO_EMPTY},
       IDS_BHO_BROKEN, IDS_DELETE_TITLE_BHO,
       L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects", L"", false, {}, &ListHelperObjects, nullptr, nullptr, false, true},
      {TableId::kUrlSearchHooks, L"urlsearchhook", L"ucUrlSearchHooks", IDS_KIND_URL_SEARCH_HOOKS,
       {IDS_COLUMN_URL_SEARCH_HOOK}, {IDS_USH_EMPTY}, IDS_USH_BROKEN, IDS_DELETE_TITLE_USH,
       L"Software\\Microsoft\\Internet Explorer\\UrlSearchHooks", L"Software\\Microsoft\\Internet Explorer\\UrlSearchHooks",
       true, {}, &ListUrlSearchHooks},
      {TableId::kActiveXControls, L"activex", L"ucActiveX", IDS_KIND_ACTIVEX_CONTROLS, {IDS_COLUMN_ACTIVEX_CONTROL},
       {IDS_AX_EMPTY}, IDS_AX_BROKEN, IDS_DELETE_TITLE_AX,
       L"Software\\Microsoft\\Code Store Database\\Distribution Units",
       L"Software\\Microsoft\\Code Store Database\\Distribution Units", false, {}, &ListActiveXControls},
      // Entries two levels down: the "Handler" and "Filter" lists below it.
      {TableId::kProtocols, L"protocol", L"ucProtocols", IDS_KIND_PROTOCOLS, {IDS_COLUMN_PROTOCOL}, {IDS_PH_EMPTY},
       IDS_PH_BROKEN, IDS_DELETE_TITLE_PH, L"Software\\Classes\\PROTOCOLS", L"Software\\Classes\\PROTOCOLS", false, {},
       &ListProtocols, nullptr, nullptr, true},
      {TableId::kSearchProviders, L"searchprovider", L"ucSearchProviders", IDS_KIND_SEARCH_PROVIDERS,
       {IDS_COLUMN_SEARCH_PROVIDER}, {IDS_SP_EMPTY}, IDS_SP_NO_FILE, IDS_DELETE_TITLE_SP,
       L"Software\\Microsoft\\Internet Explorer\\SearchScopes", L"Software\\Microsoft\\Internet Explorer\\SearchScopes",
       false, {}, &ListSearchProviders},
  };
  return kinds;
}

const AddonKind* FindKind(std::int32_t id) {
  for (const auto& kind : AddonKinds())
    if (kind.id == id) return &kind;
  return nullptr;
}

const AddonKind& Kind(std::int32_t id) {
  if (const AddonKind* kind = FindKind(id)) return *kind;
  throw std::out_of_range("no add-on kind with that table identifier");
}

std::vector<BackupTree> BackupTrees() {
  std::vector<BackupTree> trees;
  for (const auto& kind : AddonKinds()) {
    if (*kind.machinePath)
      trees.push_back({true, kind.backupMachineSpelling ? kind.backupMachineSpelling : kind.machinePath,
                       kind.machineSharedByViews});
    if (*kind.userPath) trees.push_back({false, kind.backupUserSpelling ? kind.backupUserSpelling : kind.userPath});
  }
  return trees;
}

std::vector<const wchar_t*> UserLocations() {
  std::vector<const wchar_t*> paths;
  for (const auto& kind : AddonKinds())
    if (*kind.userPath) paths.push_back(kind.userPath);
  return paths;
}

std::vector<const wchar_t*> BackupCategories() {
  std::vector<const wchar_t*> categories;
  for (const auto& kind : AddonKinds()) categories.insert(categories.end(), kind.categories.begin(), kind.categories.end());
  return categories;
}

}  // namespace discovery
