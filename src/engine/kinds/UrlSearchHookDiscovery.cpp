// URL search hooks: values named by a class id in the machine's and each
// user's "UrlSearchHooks" key; the class's server is the hook's file.
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/Listings.h"

namespace discovery {

namespace {

void FillUrlSearchHooks(DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                        const std::wstring& scope, const CStringDictionary& names, const LocationViews& views) {
  Guarded(L"ucUrlSearchHooks.FillUrlSearchHooks", kLevelDiscovery, [&] {
    for (const auto& clsid : names.Keys()) {
      if (!text::HasClsidLength(clsid)) continue;
      // The class as a browser of the entry's view finds it.
      const RegView view = views.classes.empty() ? views.entries : run.ClassView(clsid, views.classes);
      const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
      std::wstring name = found.name;
      if (name.empty()) name = DiscoveryRun::FileNameOf(found.file);
      const std::wstring display = name.empty() ? LoadStr(IDS_NONAME) : name;

      CResultNode& node = list.Add();
      node.ID = clsid;
      node.params.Add(keys::kOriginalName, name);
      node.params.Add(keys::kDisplayName, display);
      node.params.Add(keys::kDll, found.file.resolved);
      node.params.Add(keys::kKey, RootNumber(root));
      node.params.Add(keys::kHive, path);
      node.params.Add(keys::kScope, scope);
      run.AddFileInfo(node, found.file);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace

std::optional<CResultNodes> EnumUrlSearchHooks(FileResolver& files) {
  return ListFromHives(Kind(TableId::kUrlSearchHooks), L"EnumUrlSearchHooks", files, &FillUrlSearchHooks);
}

}  // namespace discovery
