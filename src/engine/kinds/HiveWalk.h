#pragma once
// The walk over the machine and every loaded user hive that most kinds
// share. HKEY_CURRENT_USER is not read on its own: the current user's hive
// is a subkey of HKEY_USERS. Platform-free.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/kinds/AddonEntry.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/DiscoveryRun.h"

namespace discovery {

// What the entries of a location are.
enum class EntryNames { Values, SubKeys };

// Where a location was read: the view its entries were read in, and the
// views in which the classes they name are looked up, in order. A machine
// location has a key of its own in each view; a user's key is shared by
// both views, and the class it names is looked up in each.
struct LocationViews {
  RegView entries = RegView::Default;
  std::vector<RegView> classes;
};

// One location of a kind's entries.
struct Location {
  Root root = Root::Machine;
  std::wstring path;   // the key holding the entries, below root
  std::wstring scope;  // "Affected users"
  std::wstring user;   // the HKEY_USERS subkey; empty for the machine
  std::vector<std::wstring> names;  // the entries' names
  // Entries that are subkeys: each one's last write time, by position.
  std::vector<std::optional<std::uint64_t>> times;
  LocationViews views;
};

using Entries = std::vector<engine::AddonEntry>;

// Calls fill for machinePath under HKEY_LOCAL_MACHINE (scope "Everyone") in
// each of the run's views, even when it has no entries, then for every
// HKEY_USERS subkey, in the registry's order, whose subkey + userPath
// (which begins with "\") has entries. A hive without entries costs no
// account lookup. A machine location shared by both views is read once,
// in the first view, its classes looked up in each view as a user's are.
void WalkHives(DiscoveryRun& run, const std::wstring& machinePath, const std::wstring& userPath, EntryNames names,
               const std::function<void(const Location&)>& fill, bool machineShared = false);

// A whole listing by the walk above over the kind's machine and per-user
// locations: a fresh run and list, fill called for every location.
using ListFiller = std::function<void(DiscoveryRun& run, Entries& list, const Location& location)>;
Entries ListFromHives(const AddonKind& kind, engine::MachineSources& machine, const ListFiller& fill);

// A new entry of the kind at the location, its name and place filled in.
engine::AddonEntry& AddEntry(Entries& list, const AddonKind& kind, const std::wstring& id, const Location& at);

}  // namespace discovery
