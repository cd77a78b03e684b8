#include "engine/kinds/ExplorerBarDiscovery.h"

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"

#include <vector>

namespace discovery {

std::optional<CResultNodes> EnumObjects(FileResolver& files) {
  std::optional<CResultNodes> result;
  Guarded(L"ucExplorerBars.EnumObjects", kLevelDiscovery, [&] {
    CResultNodes list;
    DiscoveryRun run(files);
    const auto& kind = Kind(TableId::kExplorerBars);
    const std::vector<std::wstring> categories(kind.categories.begin(), kind.categories.end());
    for (const RegView view : run.Views()) {
      // Both categories in one pass over the view's classes.
      const auto members = run.Registry(view).EnumCategoryClasses(categories);
      for (std::size_t i = 0; i < categories.size(); ++i) FillObjectInfo(run, members[i], list, categories[i], view);
    }
    result = std::move(list);
  });
  return result;
}

void FillObjectInfo(DiscoveryRun& run, const CStringDictionary& classIds, CResultNodes& list,
                    const std::wstring& category, RegView view) {
  Guarded(L"ucExplorerBars.FillObjectInfo", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry(view);
    for (const auto& found : classIds.Keys()) {
      if (!text::HasClsidLength(found)) continue;
      const std::wstring clsid = text::AsciiUpper(found);
      if (text::IsBuiltInExplorerBar(clsid)) continue;

      const std::wstring classKey = L"CLSID\\" + clsid;
      std::wstring name, file, page;
      ReadListedString(registry, HKEY_CLASSES_ROOT, classKey, L"", name);
      ReadListedString(registry, HKEY_CLASSES_ROOT, classKey + L"\\InProcServer32", L"", file);
      ReadListedString(registry, HKEY_CLASSES_ROOT, classKey + L"\\Instance\\InitPropertyBag", L"Url", page);
      DiscoveryRun::FileFacts facts = run.ResolveFile(file, view);
      // A bar hosted by the system's own browser library is the page it
      // shows; a library of that name elsewhere is the bar's own file.
      if (text::IsFileInFolders(facts.resolved, L"shdocvw.dll", run.SystemFolders(view)) &&
          text::AsciiLower(page).find(L"shdocvw.dll") == std::wstring::npos)
        facts = run.ResolveFile(page, view);

      CResultNode& node = list.Add();
      node.ID = clsid;
      name = run.ObjectName(name, facts);

      node.params.Add(keys::kName, name);
      node.params.Add(keys::kOriginalName, name);
      node.params.Add(keys::kDisplayName, name);
      node.params.Add(keys::kDll, facts.resolved);
      node.params.Add(keys::kCatId, category);
      node.params.Add(keys::kScope, LoadStr(IDS_SCOPE_EVERYONE_MACHINE));
      run.AddFileInfo(node, facts);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace discovery
