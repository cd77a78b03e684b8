#pragma once
// Turn Off and Turn On for one listed add-on: which users it applies to,
// the question, the change in the browser's own per-user store
// (addonstate::ChangeState) and what the user is told.
#include <string>

#include "backup/AddonStateChange.h"
#include "core/DataFolder.h"
#include "engine/kinds/AddonKinds.h"
#include "ozcore/CParams.h"

namespace tables {

// True when the browser keeps on/off state for the record (its kind is
// managed by id and its id is a class id).
bool StateApplies(const discovery::AddonKind& kind, const CResultNode& record);

// For a machine entry, the paragraph that says whose settings a change
// "for you" reaches: the user signed in to the session, who is not this
// process's user when an administrator's password was typed in at the
// elevation prompt. Empty for an entry of one user's hive.
std::wstring ForYouLine(const CResultNode& record);

// Asks (for a machine entry: for the user signed in to the session, or for
// every signed-in user), changes and reports. name: the add-on's name in
// the messages. True when the registry may have changed.
bool ChangeAddonState(const discovery::AddonKind& kind, const CResultNode& record, const std::wstring& name,
                      addonstate::Change change, const core::DataFolder& data);

// Turns the add-on off for the users of the record without asking (the
// user chose it in place of deleting); reports as above.
bool TurnOffWithoutAsking(const discovery::AddonKind& kind, const CResultNode& record, const std::wstring& name,
                          const core::DataFolder& data);

}  // namespace tables
