// URL search hooks: values named by a class id in the machine's and each
// user's "UrlSearchHooks" key; the class's server is the hook's file.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"

namespace discovery {

Entries ListUrlSearchHooks(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kUrlSearchHooks);
  return ListFromHives(kind, machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    for (const auto& clsid : at.names) {
      if (!text::HasClsidLength(clsid)) continue;
      // The class as a browser of the entry's view finds it.
      const RegView view = at.views.classes.empty() ? at.views.entries : run.ClassView(clsid, at.views.classes);
      const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
      std::wstring name = found.name;
      if (name.empty()) name = run.FileNameOf(found.file);

      engine::AddonEntry& entry = AddEntry(list, kind, clsid, at);
      entry.originalName = name;
      entry.displayName = name.empty() ? LoadStr(IDS_NONAME) : name;
      entry.rawFile = found.file.raw;
      entry.file = found.file.resolved;
      run.AddFileInfo(entry, found.file);
      entry.view = view;
    }
  });
}

}  // namespace discovery
