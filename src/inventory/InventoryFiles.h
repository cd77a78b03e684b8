#pragma once
// Inventory files: where a listing is saved, how it is written and read
// back, and which saved one is the newest before another.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace inventory {

// Files larger than this are not read: no listing comes near it.
inline constexpr std::uint64_t kMaxInventoryFileBytes = 256ull * 1024 * 1024;

// folder + "\Inventory yyyy-mm-dd hh-mm-ss.json" for the time; when a file
// (or anything else) of that name exists, the first free of
// "... hh-mm-ss (2).json", "(3)" and so on. Empty when none up to (9999)
// is free.
std::wstring InventoryFileName(const std::wstring& folder, const SYSTEMTIME& time);

// The full paths of the inventory files in folder earlier than except's
// (when except is one of ours; except itself is never one), newest first by
// the date and counter in their names. Files of another name, folders and
// links (reparse points) are passed over.
std::vector<std::wstring> EarlierInventories(const std::wstring& folder, const std::wstring& except);

// The text of an inventory file: at most kMaxInventoryFileBytes of strict
// UTF-8 (a byte-order mark allowed) from a plain disk file. nullopt when it
// cannot be read, is too large or is not UTF-8; reason, when given, then
// says why.
std::optional<std::wstring> ReadInventoryFile(const std::wstring& path, std::wstring* reason = nullptr);

}  // namespace inventory
