#pragma once
// Reads what decides an add-on's state from the registry: each user's
// settings key for the add-on (Ext\Settings\{ID}), the machine's and each
// user's policy lists, the "only listed add-ons" and "no add-on
// management" policies and the switch that turns every add-on off. The
// decision is AddonStateRules'. Every value is only read; a value of the
// wrong type counts as absent.

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/kinds/AddonKinds.h"
#include "engine/state/AddonStateRules.h"
#include "ozcore/CParams.h"
#include "ozcore/RegView.h"

namespace discovery {

class DiscoveryRun;

// The key below a user's hive that holds the browser's settings for one
// add-on; id must pass state::IsBraceGuid.
std::wstring AddonSettingsPath(const std::wstring& id);

// An add-on's state as read: the facts, and per user the decision.
struct AddonStateFacts {
  state::MachineFacts machine;
  std::vector<state::UserFacts> users;
  std::vector<state::UserState> states;
};

class AddonStateReader {
 public:
  explicit AddonStateReader(DiscoveryRun& run);

  // The HKEY_USERS subkeys of the users signed in: security identifiers,
  // without their class registrations and the system's service accounts.
  const std::vector<std::wstring>& LoadedUsers();
  // The users a record's entry applies to: its own user for an entry found
  // in a user's hive, every loaded user for a machine entry.
  std::vector<std::wstring> UsersOf(const CResultNode& record);
  // The user of an entry found in a user's hive; empty for a machine entry.
  static std::wstring OwnUserOf(const CResultNode& record);

  // The facts for the add-on id read in the view (the machine's policies)
  // and each user's hive.
  AddonStateFacts Read(const std::wstring& id, RegView view, const std::vector<std::wstring>& userKeys);

  // The same for an entry as listed.
  std::vector<std::wstring> UsersOf(const engine::AddonEntry& entry);
  std::wstring StateText(const AddonKind& kind, const engine::AddonEntry& entry);

  // The "state" text of the record: "n/a" for a kind without state or an
  // id that is no class id.
  std::wstring StateText(const AddonKind& kind, const CResultNode& record);

 private:
  // Read once per user and view: a listing asks for every add-on of every
  // user, and most users have settings for few add-ons. The ids are kept
  // in upper case; only an id found here is read.
  struct UserPolicies {
    bool allTurnedOff = false;
    bool noManagement = false;
    std::unordered_set<std::wstring> settingsIds;  // subkeys of Ext\Settings
    std::unordered_set<std::wstring> policyIds;    // values of the user's policy list
  };
  struct MachinePolicies {
    bool restrictToList = false;
    bool noManagement = false;
    std::unordered_set<std::wstring> policyIds;
  };
  RegView ViewOfNumber(std::int32_t number) const;
  const UserPolicies& PoliciesOfUser(const std::wstring& userKey);
  const MachinePolicies& PoliciesOfMachine(RegView view);

  DiscoveryRun& run_;
  bool usersRead_ = false;
  std::vector<std::wstring> loadedUsers_;
  std::map<std::wstring, UserPolicies> userPolicies_;
  std::map<RegView, MachinePolicies> machinePolicies_;
};

// The texts of the state summary, from the string table.
const state::StateTexts& StateTextsFromTable();

}  // namespace discovery
