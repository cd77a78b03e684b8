// Toolbars: values named by a class id in the machine's and each user's
// toolbar keys; the class's name and server are the toolbar's.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"
#include "engine/text/UniqueNamer.h"

namespace discovery {

Entries ListToolbars(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kToolbars);
  // Names are kept unique across the whole listing.
  UniqueNamer namer;
  return ListFromHives(kind, machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    for (const auto& clsid : at.names) {
      if (!text::HasClsidLength(clsid)) continue;
      // The class as a browser of the entry's view finds it.
      const RegView view = at.views.classes.empty() ? at.views.entries : run.ClassView(clsid, at.views.classes);
      const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
      // Built in only when the file the browser loads is the system's own.
      if (text::IsBuiltInToolbarFile(found.file.resolved, run.SystemFolders(view))) continue;

      const std::wstring cleaned = text::TrimSpaces(text::RemoveAmpersands(found.name));
      engine::AddonEntry& entry = AddEntry(list, kind, clsid, at);
      entry.originalName = cleaned;
      entry.displayName = cleaned.empty() ? LoadStr(IDS_NONAME) : namer.Rename(cleaned);
      entry.rawFile = found.file.raw;
      entry.file = found.file.resolved;
      run.AddFileInfo(entry, found.file);
      entry.view = view;
    }
  });
}

}  // namespace discovery
