#include "engine/kinds/MenuExtDiscovery.h"

#include "core/ErrorReport.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"

namespace discovery {

std::optional<CResultNodes> EnumContextMenus(FileResolver& files) {
  return ListFromHives(Kind(TableId::kMenuExtensions), L"EnumContextMenus", files,
                       [](DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                          const std::wstring& scope, const CStringDictionary& names, const LocationViews& views) {
                         FillContextMenuInfo(run, root, path, scope, names, list, views);
                       });
}

void FillContextMenuInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                         const CStringDictionary& names, CResultNodes& list, const LocationViews& views) {
  Guarded(L"ucMenuExt.FillContextMenuInfo", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry(views.entries);
    // No class: an entry belongs to the view it was found in (a user's, to
    // the first view).
    const RegView view = views.classes.empty() ? views.entries : views.classes.front();
    for (const auto& entry : names.Keys()) {
      // No length test: every subkey is an entry, named by its menu text.
      const std::wstring cleaned = text::RemoveAmpersands(entry);
      CResultNode& node = list.Add();
      node.ID = entry;
      node.params.Add(keys::kMenuName, cleaned);

      std::wstring address;
      ReadListedString(registry, root, path + L"\\" + entry, L"", address);
      DiscoveryRun::FileFacts facts = run.ResolveFile(text::MenuScriptFile(address), view);
      // The resolved file is read for the details, as it is what is shown.
      facts.file = facts.resolved;

      node.params.Add(keys::kOriginalName, cleaned);
      node.params.Add(keys::kDisplayName, cleaned);
      node.params.Add(keys::kDll, facts.resolved);
      node.params.Add(keys::kKey, RootNumber(root));
      node.params.Add(keys::kHive, path);
      node.params.Add(keys::kScope, scope);
      run.AddFileInfo(node, facts);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace discovery
