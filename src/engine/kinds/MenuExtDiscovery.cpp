// Context-menu extensions: subkeys of the machine's and each user's
// "MenuExt" key, named by their menu text, each naming a script address.
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"

namespace discovery {

Entries ListMenuExtensions(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kMenuExtensions);
  return ListFromHives(kind, machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    engine::RegistryView& registry = run.Registry(at.views.entries);
    // No class: an entry belongs to the view it was found in (a user's, to
    // the first view).
    const RegView view = at.views.classes.empty() ? at.views.entries : at.views.classes.front();
    for (const auto& name : at.names) {
      // No length test: every subkey is an entry, named by its menu text.
      const std::wstring cleaned = text::RemoveAmpersands(name);
      std::wstring address;
      run.ReadListedString(registry, at.root, at.path + L"\\" + name, L"", address);
      DiscoveryRun::ResolvedFile facts = run.ResolveFile(text::MenuScriptFile(address), view);
      // The resolved file is read for the details, as it is what is shown.
      facts.file = facts.resolved;

      engine::AddonEntry& entry = AddEntry(list, kind, name, at);
      entry.ownName = cleaned;
      entry.originalName = cleaned;
      entry.displayName = cleaned;
      entry.rawFile = address;
      entry.file = facts.resolved;
      run.AddFileInfo(entry, facts);
      entry.view = view;
    }
  });
}

}  // namespace discovery
