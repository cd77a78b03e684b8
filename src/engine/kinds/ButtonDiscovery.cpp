// Toolbar buttons and menu items: subkeys named by an id in the machine's
// and each user's "Extensions" key, each running a script or a class.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"

namespace discovery {

Entries ListToolbarButtons(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kButtons);
  return ListFromHives(kind, machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    engine::RegistryView& registry = run.Registry(at.views.entries);
    for (const auto& clsid : at.names) {
      if (!text::HasClsidLength(clsid)) continue;
      const std::wstring key = at.path + L"\\" + clsid;
      std::wstring buttonText, menuText, file, classId;
      run.ReadListedString(registry, at.root, key, L"buttontext", buttonText);
      run.ReadListedString(registry, at.root, key, L"menutext", menuText);
      run.ReadListedString(registry, at.root, key, L"script", file);
      if (file.empty()) run.ReadListedString(registry, at.root, key, L"exec", file);
      file = text::ResourceAddressFile(file);
      // A script entry belongs to the view it was found in; a class entry
      // to the view its class is registered in.
      RegView view = at.views.classes.empty() ? at.views.entries : at.views.classes.front();
      if (file.empty()) {
        run.ReadListedString(registry, at.root, key, L"ClsidExtension", classId);
        if (!classId.empty() && classId.find(L'\\') == std::wstring::npos) {
          if (!at.views.classes.empty()) view = run.ClassView(classId, at.views.classes);
          run.ReadListedString(run.Registry(view), Root::Classes, L"CLSID\\" + classId + L"\\InProcServer32", L"",
                               file);
        }
      }
      const DiscoveryRun::ResolvedFile facts = run.ResolveFile(file, view);

      engine::AddonEntry& entry = AddEntry(list, kind, clsid, at);
      entry.buttonText = text::RemoveAmpersands(run.IndirectString(buttonText, view));
      entry.menuText = text::RemoveAmpersands(run.IndirectString(menuText, view));
      const std::wstring display = text::ButtonDisplayName(entry.buttonText, entry.menuText);
      entry.displayName = display.empty() ? LoadStr(IDS_NONAME) : display;
      entry.originalName = text::CombinedButtonName(entry.buttonText, entry.menuText);
      entry.rawFile = file;
      entry.file = facts.resolved;
      if (!file.empty()) run.AddFileInfo(entry, facts);
      entry.view = view;
    }
  });
}

}  // namespace discovery
