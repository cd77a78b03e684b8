#pragma once
// What changed between two listings of add-ons, and the line that tells of
// one change. Platform-free.
#include <cstddef>
#include <string>
#include <vector>

#include "inventory/InventoryRead.h"

namespace inventory {

struct InventoryChanges {
  std::vector<std::size_t> added;  // indices into current, ascending
  std::vector<std::size_t> gone;   // indices into earlier, ascending
};

// Entries are matched by identity, as many times as they occur: an entry
// listed twice before and once now is gone once. Of equal entries the later
// ones are the added or gone ones. O(n log n).
InventoryChanges CompareInventories(const std::vector<EntryIdentity>& earlier,
                                    const std::vector<EntryIdentity>& current);

enum class ChangeKind { Added, Gone };

// One line (no line break) for a log or a terminal, e.g.
//   New: toolbar "Name" (HKEY_USERS\S-1-5-21-...\Software\...\{ID}, 64-bit)
//   Gone: bho "Name" (HKEY_LOCAL_MACHINE\Software\...\{ID}, 32-bit)
// The kind, the name and the location are shown in visible form
// (discovery::text::VisibleText), so nothing of the data's breaks the line
// or acts on a terminal. An identity without a view has no ", NN-bit".
std::wstring ChangeLine(ChangeKind change, const EntryIdentity& identity, const std::wstring& displayName);

// The name of a registry root by its "key" number (0x80000002 is
// HKEY_LOCAL_MACHINE); an unknown number as "root 0x...".
std::wstring RootName(std::int64_t keyNumber);

}  // namespace inventory
