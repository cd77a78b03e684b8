// Explorer bars: the classes that declare one of the explorer-bar
// component categories, in each view; the class's server (or the page a
// bar hosted by the system's browser library shows) is the bar's file.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"

namespace discovery {

namespace {

void AddBar(DiscoveryRun& run, Entries& list, const std::wstring& found, const std::wstring& category, RegView view) {
  if (!text::HasClsidLength(found)) return;
  const std::wstring clsid = text::AsciiUpper(found);
  if (text::IsBuiltInExplorerBar(clsid)) return;

  engine::RegistryView& registry = run.Registry(view);
  const std::wstring classKey = L"CLSID\\" + clsid;
  std::wstring name, file, page;
  run.ReadListedString(registry, Root::Classes, classKey, L"", name);
  run.ReadListedString(registry, Root::Classes, classKey + L"\\InProcServer32", L"", file);
  run.ReadListedString(registry, Root::Classes, classKey + L"\\Instance\\InitPropertyBag", L"Url", page);
  DiscoveryRun::ResolvedFile facts = run.ResolveFile(file, view);
  // A bar hosted by the system's own browser library is the page it
  // shows; a library of that name elsewhere is the bar's own file.
  if (text::IsFileInFolders(facts.resolved, L"shdocvw.dll", run.SystemFolders(view)) &&
      text::AsciiLower(page).find(L"shdocvw.dll") == std::wstring::npos)
    facts = run.ResolveFile(page, view);

  engine::AddonEntry& entry = list.emplace_back();
  entry.kind = TableId::kExplorerBars;
  entry.id = clsid;
  name = run.ObjectName(name, facts);
  entry.ownName = entry.originalName = entry.displayName = name;
  entry.rawFile = facts.raw;
  entry.file = facts.resolved;
  entry.category = category;
  entry.scope = LoadStr(IDS_SCOPE_EVERYONE_MACHINE);
  run.AddFileInfo(entry, facts);
  entry.view = view;
  // A bar is its class: its key is the one written.
  entry.lastWrite = registry.LastWriteTime(Root::Classes, classKey);
}

}  // namespace

Entries ListExplorerBars(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kExplorerBars);
  Entries list;
  DiscoveryRun run(machine);
  const std::vector<std::wstring> categories(kind.categories.begin(), kind.categories.end());
  for (const RegView view : run.Views()) {
    // Both categories in one pass over the view's classes.
    const auto members = run.Registry(view).CategoryClasses(categories);
    for (std::size_t i = 0; i < categories.size(); ++i)
      for (const auto& found : members[i]) AddBar(run, list, found, categories[i], view);
  }
  return list;
}

}  // namespace discovery
