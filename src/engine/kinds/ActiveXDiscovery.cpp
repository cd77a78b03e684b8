// ActiveX controls installed from the web: the "Distribution Units" of the
// machine's and each user's code store, one subkey per control's class.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"

namespace discovery {

Entries ListActiveXControls(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kActiveXControls);
  return ListFromHives(kind, machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    engine::RegistryView& registry = run.Registry(at.views.entries);
    for (const auto& clsid : at.names) {
      if (!text::HasClsidLength(clsid)) continue;
      const std::wstring key = at.path + L"\\" + clsid;
      std::wstring unitName, codeBase;
      run.ReadListedString(registry, at.root, key, L"", unitName);
      // Where the control came from: shown, never opened.
      run.ReadListedString(registry, at.root, key + L"\\DownloadInformation", L"CODEBASE", codeBase);

      const RegView view = at.views.classes.empty() ? at.views.entries : run.ClassView(clsid, at.views.classes);
      const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
      std::wstring name = found.name;
      if (name.empty()) name = unitName;
      if (name.empty()) name = run.FileNameOf(found.file);

      engine::AddonEntry& entry = AddEntry(list, kind, clsid, at);
      entry.originalName = name;
      entry.displayName = name.empty() ? LoadStr(IDS_NONAME) : name;
      entry.rawFile = found.file.raw;
      entry.file = found.file.resolved;
      entry.codeBase = codeBase;
      run.AddFileInfo(entry, found.file);
      entry.view = view;
    }
  });
}

}  // namespace discovery
