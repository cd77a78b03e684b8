#include "engine/kinds/HiveWalk.h"

#include "core/Strings.h"
#include "engine/text/AddonText.h"

namespace discovery {

namespace {
std::vector<std::wstring> Enumerate(engine::RegistryView& registry, Root root, const std::wstring& path,
                                    EntryNames names) {
  return names == EntryNames::Values ? registry.ValueNames(root, path) : registry.SubKeys(root, path);
}
}  // namespace

void WalkHives(DiscoveryRun& run, const std::wstring& machinePath, const std::wstring& userPath, EntryNames names,
               const std::function<void(const Location&)>& fill, bool machineShared) {
  const std::wstring everyone = LoadStr(IDS_SCOPE_EVERYONE);
  const LocationViews shared{run.Views().front(), run.Views()};
  if (machineShared) {
    fill(Location{Root::Machine, machinePath, everyone, {},
                  Enumerate(run.Registry(), Root::Machine, machinePath, names), shared});
  } else {
    for (const RegView view : run.Views()) {
      fill(Location{Root::Machine, machinePath, everyone, {},
                    Enumerate(run.Registry(view), Root::Machine, machinePath, names), LocationViews{view, {view}}});
    }
  }

  engine::RegistryView& registry = run.Registry();
  for (const auto& user : registry.SubKeys(Root::Users, L"")) {
    // A user's class registrations are no user: their keys are classes. A
    // name holding "\" would reach another key.
    if (text::ClassifyUserKey(user) == text::UserKeyKind::Classes || user.find(L'\\') != std::wstring::npos)
      continue;
    const std::wstring path = user + userPath;
    std::vector<std::wstring> entries = Enumerate(registry, Root::Users, path, names);
    if (entries.empty()) continue;
    fill(Location{Root::Users, path, run.ScopeForUserKey(user), user, std::move(entries), shared});
  }
}

Entries ListFromHives(const AddonKind& kind, engine::MachineSources& machine, const ListFiller& fill) {
  Entries list;
  DiscoveryRun run(machine);
  WalkHives(
      run, kind.machinePath, std::wstring(L"\\") + kind.userPath,
      kind.entriesAreValues ? EntryNames::Values : EntryNames::SubKeys,
      [&](const Location& location) {
        const std::size_t first = list.size();
        fill(run, list, location);
        // The time of the entry's own key (a value's: the key holding it),
        // in the view the entries were found in; the values of one key share
        // its time, read once.
        engine::RegistryView& registry = run.Registry(location.views.entries);
        std::optional<std::wstring> lastKey;
        std::optional<std::uint64_t> lastTime;
        for (std::size_t i = first; i < list.size(); ++i) {
          engine::AddonEntry& entry = list[i];
          const std::wstring key = kind.entriesAreValues ? entry.keyPath : entry.keyPath + L"\\" + entry.id;
          if (key != lastKey) {
            lastTime = registry.LastWriteTime(location.root, key);
            lastKey = key;
          }
          entry.lastWrite = lastTime;
        }
      },
      kind.machineSharedByViews);
  return list;
}

engine::AddonEntry& AddEntry(Entries& list, const AddonKind& kind, const std::wstring& id, const Location& at) {
  engine::AddonEntry& entry = list.emplace_back();
  entry.kind = kind.id;
  entry.id = id;
  entry.tree = at.root == Root::Users ? engine::Tree::Users : engine::Tree::Machine;
  entry.keyPath = at.path;
  entry.ownerSid = at.user;
  entry.scope = at.scope;
  return entry;
}

}  // namespace discovery
