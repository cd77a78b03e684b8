#include "discovery/MenuExtDiscovery.h"

#include "app/ErrorReport.h"
#include "discovery/AddonRecord.h"
#include "discovery/AddonText.h"
#include "discovery/DiscoveryRun.h"
#include "discovery/HiveWalk.h"

namespace discovery {

std::optional<CResultNodes> EnumContextMenus(RegView view) {
  std::optional<CResultNodes> result;
  Guarded(L"ucMenuExt.EnumContextMenus", kLevelDiscovery, [&] {
    CResultNodes list;
    DiscoveryRun run(view);
    WalkHives(run, kMenuExtMachinePath, kMenuExtUserPath, EntryNames::SubKeys,
              [&](HKEY root, const std::wstring& path, const std::wstring& scope, const CStringDictionary& names) {
                FillContextMenuInfo(run, root, path, scope, names, list);
              });
    result = std::move(list);
  });
  return result;
}

void FillContextMenuInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                         const CStringDictionary& names, CResultNodes& list) {
  Guarded(L"ucMenuExt.FillContextMenuInfo", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry();
    for (const auto& entry : names.Keys()) {
      // No length test: every subkey is an entry, named by its menu text.
      const std::wstring cleaned = text::RemoveAmpersands(entry);
      CResultNode& node = list.Add();
      node.ID = entry;
      node.params.Add(keys::kMenuName, cleaned);

      std::wstring address;
      registry.ReadString(root, path + L"\\" + entry, L"", address);
      const std::wstring file = run.FullFileName(text::MenuScriptFile(address));

      node.params.Add(keys::kOriginalName, cleaned);
      node.params.Add(keys::kDisplayName, cleaned);
      node.params.Add(keys::kDll, file);
      node.params.Add(keys::kKey, RootNumber(root));
      node.params.Add(keys::kHive, path);
      node.params.Add(keys::kScope, scope);
      run.AddFileInfo(node, file, file);
    }
  });
}

}  // namespace discovery
