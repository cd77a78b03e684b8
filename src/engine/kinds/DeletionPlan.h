#pragma once
// What removing an add-on takes away: the one registry entry that loads it
// (a value, or a key with what is below it), named where the registry
// stores it (a 32-bit entry by its Wow6432Node path, a user's classes in
// the user's classes hive), and, for a search provider, the user's default
// that named it. Decided here for every kind, from the entry and the
// registry it was listed from; carried out by the backup layer's executor.
// Platform-free.
#include <optional>
#include <string>

#include "engine/kinds/AddonEntry.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/sources/RegistryView.h"
#include "ozcore/CParams.h"

namespace discovery {

struct DeletionPlan {
  // False when the entry's place is not known well enough to remove
  // anything: an empty or separator-holding name, no key, an unknown root.
  bool complete = false;
  engine::Tree tree = engine::Tree::Machine;
  std::wstring key;                   // the key removed, or the key holding the value
  std::optional<std::wstring> value;  // remove this value of key rather than the key
  // After the key: this string value of its parent goes too, while it
  // still names the entry (entryName, compared as the browser does).
  std::wstring parentValue;
  std::wstring entryName;
};

DeletionPlan PlanDeletion(const AddonKind& kind, const engine::AddonEntry& entry, engine::RegistryView& registry);

// The entry a record of the kind describes, as far as a deletion and a
// state change need it (id, place, view, category, default flag).
engine::AddonEntry EntryOfRecord(const AddonKind& kind, const CResultNode& record);

}  // namespace discovery
