// Search providers: the subkeys of "SearchScopes" in each user's hive and
// the machine's, each with a display name and a search address; the user's
// "DefaultScope" value names the default one. A provider has a file only
// through an indirect display name ("@file,-id").
#include "core/Strings.h"
#include "engine/files/IndirectStringText.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/ProtocolText.h"

namespace discovery {

namespace {
// The file an indirect display name is read from; empty for a plain name.
std::wstring IndirectNameFile(const std::wstring& displayName) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(displayName, file, number)) return {};
  return file;
}
}  // namespace

Entries ListSearchProviders(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kSearchProviders);
  return ListFromHives(kind, machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    engine::RegistryView& registry = run.Registry(at.views.entries);
    // No class: a provider belongs to the view it was found in.
    const RegView view = at.views.entries;
    std::wstring defaultScope;
    registry.ReadString(at.root, at.path, L"DefaultScope", defaultScope);
    for (const auto& name : at.names) {
      const std::wstring key = at.path + L"\\" + name;
      std::wstring displayName, url;
      run.ReadListedString(registry, at.root, key, L"DisplayName", displayName);
      run.ReadListedString(registry, at.root, key, L"URL", url);
      const std::wstring shown = run.IndirectString(displayName, view);
      const std::wstring file = IndirectNameFile(displayName);
      const DiscoveryRun::ResolvedFile facts = run.ResolveFile(file, view);

      engine::AddonEntry& entry = AddEntry(list, kind, name, at);
      entry.originalName = shown;
      entry.displayName = shown.empty() ? LoadStr(IDS_NONAME) : shown;
      // The address is shown, never opened.
      entry.url = url;
      entry.isDefault = text::NamesSameEntry(defaultScope, name);
      entry.rawFile = file;
      entry.file = facts.resolved;
      if (!file.empty()) run.AddFileInfo(entry, facts);
      entry.view = view;
    }
  });
}

}  // namespace discovery
