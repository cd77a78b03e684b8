#pragma once
// How the browser decides whether an add-on it manages by id runs for a
// user: its own per-user "turned off" mark, the administrator's per-add-on
// lists, the "only listed add-ons" switch, the "no add-on management"
// restriction and the switch that turns every add-on off. The facts are
// read from the registry elsewhere (AddonStateReader); this is the
// decision and its text. Platform-free.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace discovery::state {

// A value of the per-add-on policy lists, read as text.
enum class PolicyRule {
  NotManaged,            // no value, or data other than "0", "1", "2"
  Blocked,               // "0"
  Allowed,               // "1": on, and the user may not turn it off
  AllowedUserMayChange,  // "2": allowed; the user's own mark decides
};
PolicyRule PolicyRuleOf(const std::optional<std::wstring>& data);

// The user's settings key marks the add-on off: "Flags" with bit 0 set and
// "Version" exactly "*".
bool SettingsMarkOff(const std::optional<std::uint32_t>& flags, const std::optional<std::wstring>& version);

// "Enable Browser Extensions" data that turns every add-on off ("no" in
// any letter case).
bool SwitchTurnsAllOff(const std::optional<std::wstring>& data);

// What holds for the whole machine (read in the record's registry view).
struct MachineFacts {
  std::optional<std::wstring> policy;  // the add-on's value in the machine's list
  bool restrictToList = false;         // everything not on a list is blocked
  bool noManagement = false;           // users may not change add-on state
};

// What holds for one user.
struct UserFacts {
  std::wstring name;                   // the user as shown
  std::wstring hiveKey;                // the user's HKEY_USERS subkey
  bool markedOff = false;              // SettingsMarkOff of the user's settings key
  std::optional<std::wstring> policy;  // the add-on's value in the user's list
  bool allTurnedOff = false;           // the user's switch turns every add-on off
  bool noManagement = false;           // the user's own restriction
};

enum class Verdict {
  On,
  Off,           // the user turned it off
  Blocked,       // a policy list, or "only listed add-ons", blocks it
  Allowed,       // a policy list keeps it on
  AllTurnedOff,  // the user's switch turns every add-on off
};

struct UserState {
  Verdict verdict = Verdict::On;
  // A policy decides (blocked or allowed by a list, or only listed
  // add-ons): turning it on or off would change nothing the browser reads.
  bool heldByPolicy = false;
  // The user may not change add-on state at all.
  bool noManagement = false;
  bool markedOff = false;  // the user's own mark, whatever decides
};

// Policy over the user: the user's list wins over the machine's; a
// blocking rule (a list's "0", or no rule while only listed add-ons may
// run) comes first, then the switch that turns all off, then a list's
// "1", then the user's own mark.
UserState Decide(const MachineFacts& machine, const UserFacts& user);

// The texts the summary is made of ("%1" takes a list of user names).
struct StateTexts {
  std::wstring on;              // "On"
  std::wstring offFor;          // "Off for %1"
  std::wstring blocked;         // "Blocked by policy"
  std::wstring blockedFor;      // "Blocked by policy for %1"
  std::wstring allowed;         // "Allowed by policy"
  std::wstring allowedFor;      // "Allowed by policy for %1"
  std::wstring allTurnedOffFor; // "All add-ons turned off for %1"
  std::wstring nameSeparator;   // ", "
  std::wstring partSeparator;   // "; "
};

// The one line a list or report shows: "On" when every user runs the
// add-on without a policy deciding; otherwise a part per verdict, in the
// order blocked, all turned off, off, allowed, each naming its users
// unless every user shares it ("Blocked by policy"). states and users go
// together by position. With no user at all, the machine's rule alone.
std::wstring SummaryText(const MachineFacts& machine, const std::vector<UserFacts>& users,
                         const std::vector<UserState>& states, const StateTexts& texts);

// True when the add-on does not run for at least one of the users.
bool AnyInactive(const std::vector<UserState>& states);

// The same read back from a SummaryText: the parts for users it does not
// run for come first, so a summary is "all running" when it is "On" or
// begins with the allowed part.
bool SummaryShowsInactive(const std::wstring& summary, const StateTexts& texts);

// Replaces each "%1" in pattern with argument (once; the argument is never
// read as a pattern).
std::wstring Substitute(const std::wstring& pattern, const std::wstring& argument);

// A strict "{8-4-4-4-12}" hexadecimal class or button id: the only form the
// browser's settings use, and one that names exactly one key.
bool IsBraceGuid(const std::wstring& id);

}  // namespace discovery::state
