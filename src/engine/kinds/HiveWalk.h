#pragma once
// The walk over the machine and every loaded user hive that toolbars,
// toolbar buttons and context-menu extensions share. HKEY_CURRENT_USER is
// not read on its own: the current user's hive is a subkey of HKEY_USERS.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/kinds/AddonKinds.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class DiscoveryRun;

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

// Called once per location: root, full key path, scope text, entry names,
// views.
using LocationFiller = std::function<void(HKEY root, const std::wstring& path, const std::wstring& scope,
                                          const CStringDictionary& names, const LocationViews& views)>;

// Calls fill for machinePath under HKEY_LOCAL_MACHINE (scope "Everyone") in
// each of the run's views, even when it has no entries, then for every
// HKEY_USERS subkey, in the registry's order, whose subkey + userPath
// (which begins with "\") has entries. A hive without entries costs no
// account lookup.
// A machine location shared by both views is read once, in the first view,
// its classes looked up in each view as a user's are.
void WalkHives(DiscoveryRun& run, const std::wstring& machinePath, const std::wstring& userPath, EntryNames names,
               const LocationFiller& fill, bool machineShared = false);

// A whole listing by the walk above over the kind's machine and per-user
// locations: a fresh run and list, fill called for every location with
// both. No list when the walk itself failed; the failure is logged at level
// 4 under the kind's type name and the procedure ("ucTB.EnumToolbars").
using ListFiller = std::function<void(DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                                      const std::wstring& scope, const CStringDictionary& names,
                                      const LocationViews& views)>;
std::optional<CResultNodes> ListFromHives(const AddonKind& kind, const wchar_t* procedure, FileResolver& files,
                                          const ListFiller& fill);

// The "Affected users" text of a HKEY_USERS subkey: "Default" for
// ".DEFAULT", the account name (no domain) for a SID, else empty.
std::wstring ScopeForUserKey(const std::wstring& userKey);

}  // namespace discovery
