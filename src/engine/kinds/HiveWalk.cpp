#include "engine/kinds/HiveWalk.h"

#include "core/Strings.h"
#include "engine/text/AddonText.h"

namespace discovery {

namespace {
// The location's entries, with their times when they are subkeys.
Location Enumerate(engine::RegistryView& registry, Root root, const std::wstring& path, EntryNames names) {
  Location at;
  at.root = root;
  at.path = path;
  if (names == EntryNames::Values) {
    at.names = registry.ValueNames(root, path);
    return at;
  }
  for (auto& key : registry.SubKeysWithTimes(root, path)) {
    at.names.push_back(std::move(key.name));
    at.times.push_back(key.lastWrite);
  }
  return at;
}

// The time of each entry's own key (a value's: the key holding it), in the
// view the entries were found in. Entries that are the location's subkeys
// come in the order of its names and have their times from its listing;
// the values of one key share its time, read once.
void AddLastWriteTimes(engine::RegistryView& registry, const AddonKind& kind, const Location& location,
                       Entries& list, std::size_t first) {
  std::size_t next = 0;
  std::optional<std::wstring> lastKey;
  std::optional<std::uint64_t> lastTime;
  for (std::size_t i = first; i < list.size(); ++i) {
    engine::AddonEntry& entry = list[i];
    if (entry.lastWrite) continue;  // the routine found it itself
    if (entry.keyPath == location.path && !location.times.empty()) {
      while (next < location.names.size() && location.names[next] != entry.id) ++next;
      if (next < location.times.size()) {
        entry.lastWrite = location.times[next];
        continue;
      }
    }
    const std::wstring key = kind.entriesAreValues ? entry.keyPath : entry.keyPath + L"\\" + entry.id;
    if (key != lastKey) {
      lastTime = registry.LastWriteTime(location.root, key);
      lastKey = key;
    }
    entry.lastWrite = lastTime;
  }
}
}  // namespace

void WalkHives(DiscoveryRun& run, const std::wstring& machinePath, const std::wstring& userPath, EntryNames names,
               const std::function<void(const Location&)>& fill, bool machineShared) {
  const std::wstring everyone = LoadStr(IDS_SCOPE_EVERYONE);
  const LocationViews shared{run.Views().front(), run.Views()};
  if (machineShared) {
    Location at = Enumerate(run.Registry(), Root::Machine, machinePath, names);
    at.scope = everyone;
    at.views = shared;
    fill(at);
  } else {
    for (const RegView view : run.Views()) {
      Location at = Enumerate(run.Registry(view), Root::Machine, machinePath, names);
      at.scope = everyone;
      at.views = LocationViews{view, {view}};
      fill(at);
    }
  }

  engine::RegistryView& registry = run.Registry();
  for (const auto& user : registry.SubKeys(Root::Users, L"")) {
    // A user's class registrations are no user: their keys are classes. A
    // name holding "\" would reach another key.
    if (text::ClassifyUserKey(user) == text::UserKeyKind::Classes || user.find(L'\\') != std::wstring::npos)
      continue;
    Location at = Enumerate(registry, Root::Users, user + userPath, names);
    if (at.names.empty()) continue;
    at.scope = run.ScopeForUserKey(user);
    at.user = user;
    at.views = shared;
    fill(at);
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
        AddLastWriteTimes(run.Registry(location.views.entries), kind, location, list, first);
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
