// ActiveX controls installed from the web: the "Distribution Units" of the
// machine's and each user's code store, one subkey per control's class.
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/Listings.h"

namespace discovery {

namespace {

void FillActiveXControls(DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                         const std::wstring& scope, const CStringDictionary& names, const LocationViews& views) {
  Guarded(L"ucActiveX.FillActiveXControls", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry(views.entries);
    for (const auto& clsid : names.Keys()) {
      if (!text::HasClsidLength(clsid)) continue;
      const std::wstring entry = path + L"\\" + clsid;
      std::wstring unitName, codeBase;
      ReadListedString(registry, root, entry, L"", unitName);
      // Where the control came from: shown, never opened.
      ReadListedString(registry, root, entry + L"\\DownloadInformation", L"CODEBASE", codeBase);

      const RegView view = views.classes.empty() ? views.entries : run.ClassView(clsid, views.classes);
      const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
      std::wstring name = found.name;
      if (name.empty()) name = unitName;
      if (name.empty()) name = DiscoveryRun::FileNameOf(found.file);
      const std::wstring display = name.empty() ? LoadStr(IDS_NONAME) : name;

      CResultNode& node = list.Add();
      node.ID = clsid;
      node.params.Add(keys::kOriginalName, name);
      node.params.Add(keys::kDisplayName, display);
      node.params.Add(keys::kDll, found.file.resolved);
      node.params.Add(keys::kCodeBase, codeBase);
      node.params.Add(keys::kKey, RootNumber(root));
      node.params.Add(keys::kHive, path);
      node.params.Add(keys::kScope, scope);
      run.AddFileInfo(node, found.file);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace

std::optional<CResultNodes> EnumActiveXControls(FileResolver& files) {
  return ListFromHives(Kind(TableId::kActiveXControls), L"EnumActiveXControls", files, &FillActiveXControls);
}

}  // namespace discovery
