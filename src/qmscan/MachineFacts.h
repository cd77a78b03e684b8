#pragma once
// What qmscan's JSON Lines tell of the machine listed, beside its add-ons:
// its name and version, how many users' hives were read and how many of
// those users were not signed in. Platform-free.
#include <cstddef>
#include <optional>
#include <string>

#include "engine/kinds/AddonEntry.h"

namespace qmscan {

struct MachineFacts {
  std::wstring hostName, osVersion;  // empty: unknown
  std::size_t usersRead = 0, usersNotSignedIn = 0;
  std::optional<std::size_t> hivesDirty;  // an image's only
};

// The version and users the machine's own registry tells (the host's
// name is the caller's).
MachineFacts FactsOf(engine::MachineSources& machine);

// The Windows version the software hive names: "10.0.19045.3803" from
// the major, minor, build and update numbers, else "6.1.7601" from the
// older text values; empty when it names none. A text value is taken only
// when it is at most 20 digits and dots, so a hostile hive cannot put
// text there.
std::wstring OsVersionOf(engine::RegistrySource& registry);

}  // namespace qmscan
