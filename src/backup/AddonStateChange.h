#pragma once
// Turning an add-on off or on the way the browser does it, in each user's
// own store: off writes "Flags"=1 and "Version"="*" below
// <user hive>\Software\Microsoft\Windows\CurrentVersion\Ext\Settings\{ID};
// on removes that key. Policies are never touched: an add-on a policy
// decides, or a user whom policy forbids to change add-ons, is refused
// with nothing written. Before a change the keys it touches are saved as a
// registry file in the backup folder, which merged puts them back as they
// were (a key that was not there is removed again).
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "ozcore/CRegistry.h"

namespace addonstate {

enum class Change { TurnOff, TurnOn };

enum class Outcome {
  Done,
  NothingToDo,    // every user already had it so
  NotApplicable,  // not an id the browser keeps state for, or no user
  HeldByPolicy,   // a policy list or "only listed add-ons" decides
  NoManagement,   // policy forbids users to change add-ons
  BackupFailed,   // the keys could not be saved whole: nothing changed
  WriteFailed,    // a change failed (logged); the saved file undoes any part made
};

struct Result {
  Outcome outcome = Outcome::NotApplicable;
  std::wstring backupPath;       // the saved registry file, when one was written
  std::size_t usersChanged = 0;  // users whose settings were changed
  // BackupFailed because a link or a changed owner refused the backup
  // folder: the text that says so.
  std::wstring refusal;
};

// A HKEY_USERS subkey whose name can be written into a registry file as it
// is: ".DEFAULT" or a security identifier ("S-" then digits and dashes).
bool IsPlainUserKey(const std::wstring& key);

// The registry file text that puts back the add-on's settings key of each
// user as it is now: the key removed, then its export. What the export
// cannot carry back is listed in omitted.
std::wstring SettingsBackupText(const std::wstring& id, const std::vector<std::wstring>& userKeys, bool unicodeFile,
                                std::vector<RegOmission>& omitted);

// Turns the add-on with this class or button id (as listed: "{...}") off
// or on for the users (HKEY_USERS subkeys); view: where its entry was
// found, for the machine's policies. Logged at level 5
// ("AddonState.ChangeState"); failures logged at level 4.
Result ChangeState(const core::DataFolder& data, const std::wstring& id, RegView view,
                   const std::vector<std::wstring>& userKeys, Change change);

}  // namespace addonstate
