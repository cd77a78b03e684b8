#include "engine/kinds/ToolbarDiscovery.h"

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/text/UniqueNamer.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"

namespace discovery {

std::optional<CResultNodes> EnumToolbars(FileResolver& files) {
  // Names are kept unique across the whole listing.
  UniqueNamer namer;
  return ListFromHives(Kind(TableId::kToolbars), L"EnumToolbars", files,
                       [&namer](DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                                const std::wstring& scope, const CStringDictionary& names, const LocationViews& views) {
                         FillTBInfo(run, namer, names, list, root, path, scope, views);
                       });
}

void FillTBInfo(DiscoveryRun& run, UniqueNamer& namer, const CStringDictionary& names, CResultNodes& list, HKEY root,
                const std::wstring& path, const std::wstring& scope, const LocationViews& views) {
  Guarded(L"ucTB.FillTBInfo", kLevelDiscovery, [&] {
    for (const auto& clsid : names.Keys()) {
      if (!text::HasClsidLength(clsid)) continue;
      // The class as a browser of the entry's view finds it.
      const RegView view = views.classes.empty() ? views.entries : run.ClassView(clsid, views.classes);
      CRegistry& registry = run.Registry(view);
      std::wstring name, file;
      ReadListedString(registry, HKEY_CLASSES_ROOT, L"CLSID\\" + clsid, L"", name);
      ReadListedString(registry, HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InProcServer32", L"", file);
      const DiscoveryRun::FileFacts facts = run.ResolveFile(file, view);
      // Built in only when the file the browser loads is the system's own.
      if (text::IsBuiltInToolbarFile(facts.resolved, run.SystemFolders(view))) continue;

      const std::wstring cleaned = text::TrimSpaces(text::RemoveAmpersands(name));
      const std::wstring display = cleaned.empty() ? LoadStr(IDS_NONAME) : namer.Rename(cleaned);

      CResultNode& node = list.Add();
      node.ID = clsid;
      node.params.Add(keys::kOriginalName, cleaned);
      node.params.Add(keys::kDisplayName, display);
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
