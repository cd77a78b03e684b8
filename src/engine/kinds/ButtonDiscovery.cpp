#include "engine/kinds/ButtonDiscovery.h"

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"

namespace discovery {

std::optional<CResultNodes> EnumToolbarButtons(FileResolver& files) {
  return ListFromHives(Kind(TableId::kButtons), L"EnumToolbarButtons", files,
                       [](DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                          const std::wstring& scope, const CStringDictionary& names, const LocationViews& views) {
                         FillTBButtonInfo(run, root, path, scope, names, list, views);
                       });
}

void FillTBButtonInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                      const CStringDictionary& names, CResultNodes& list, const LocationViews& views) {
  Guarded(L"ucTBButtons.FillTBButtonInfo", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry(views.entries);
    for (const auto& clsid : names.Keys()) {
      if (!text::HasClsidLength(clsid)) continue;
      const std::wstring entry = path + L"\\" + clsid;

      // Every value of the entry key first, while that key is open.
      std::wstring buttonText, menuText, file, classId;
      ReadListedString(registry, root, entry, L"buttontext", buttonText);
      ReadListedString(registry, root, entry, L"menutext", menuText);
      ReadListedString(registry, root, entry, L"script", file);
      if (file.empty()) ReadListedString(registry, root, entry, L"exec", file);
      file = text::ResourceAddressFile(file);
      // A script entry belongs to the view it was found in; a class entry
      // to the view its class is registered in.
      RegView view = views.classes.empty() ? views.entries : views.classes.front();
      if (file.empty()) {
        ReadListedString(registry, root, entry, L"ClsidExtension", classId);
        if (!classId.empty()) {
          if (!views.classes.empty()) view = run.ClassView(classId, views.classes);
          ReadListedString(run.Registry(view), HKEY_CLASSES_ROOT, L"CLSID\\" + classId + L"\\InProcServer32", L"",
                           file);
        }
      }
      const DiscoveryRun::FileFacts facts = run.ResolveFile(file, view);

      CResultNode& node = list.Add();
      node.ID = clsid;
      const std::wstring button = text::RemoveAmpersands(run.IndirectString(buttonText, view));
      const std::wstring menu = text::RemoveAmpersands(run.IndirectString(menuText, view));
      node.params.Add(keys::kButtonText, button);
      node.params.Add(keys::kMenuText, menu);
      const std::wstring display = text::ButtonDisplayName(button, menu);
      node.params.Add(keys::kDisplayName, display.empty() ? LoadStr(IDS_NONAME) : display);
      node.params.Add(keys::kOriginalName, text::CombinedButtonName(button, menu));
      node.params.Add(keys::kDll, facts.resolved);
      node.params.Add(keys::kKey, RootNumber(root));
      node.params.Add(keys::kHive, path);
      node.params.Add(keys::kScope, scope);
      if (!file.empty()) run.AddFileInfo(node, facts);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace discovery
