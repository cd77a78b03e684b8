#pragma once
// Reads a saved inventory (the JSON document of InventoryText.h) back into
// records, and the identity by which a saved entry and a live record are
// matched. Platform-free.
//
// The file lies in the user's folder where anything may have changed it,
// so it is read as hostile: only the exact shape the writer makes is
// accepted (an array of {"kind", "ID", "values"} objects whose values are
// strings or 32-bit integers), every escape is checked, nothing nests
// deeper than that shape, and anything else is refused as a whole.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ozcore/CParams.h"

namespace inventory {

// The record values an identity is made of. They are the names discovery
// gives them (engine/kinds/AddonRecord.h, checked against it where that
// header can be read).
namespace record_keys {
inline constexpr const wchar_t* kKey = L"key";
inline constexpr const wchar_t* kHive = L"hive";
inline constexpr const wchar_t* kView = L"view";
inline constexpr const wchar_t* kDisplayName = L"displayName";
}  // namespace record_keys

// Limits of what a saved inventory may hold; a machine has a few thousand
// entries of about fifteen values.
inline constexpr std::size_t kMaxEntries = 1'000'000;
inline constexpr std::size_t kMaxValuesPerEntry = 256;

// One saved entry: its kind and the record as it was listed (ID, and the
// values in file order, numbers as numbers).
struct InventoryEntry {
  std::wstring kind;
  CResultNode record;
};

// The entries of a saved inventory in file order; nullopt when the text is
// not exactly such a document (malformed JSON, another shape, a value key
// given twice, a number that is not a 32-bit integer, a raw control
// character or unpaired surrogate, too many entries or values).
std::optional<std::vector<InventoryEntry>> ReadInventory(const std::wstring& text);

// Strict UTF-8 to UTF-16 units (one unit per wchar_t on every platform): a
// leading byte-order mark is dropped; overlong forms, encoded surrogates,
// code points above U+10FFFF and cut sequences give nullopt.
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);

// What makes an entry the same entry in two listings: its kind, its
// registry name, where it is (the root as its "key" number, the key path
// "hive") and the registry view. A value the record lacks is empty / 0.
struct EntryIdentity {
  std::wstring kind, id, hive;
  std::int64_t key = 0;
  std::int64_t view = 0;

  auto operator<=>(const EntryIdentity&) const = default;
  bool operator==(const EntryIdentity&) const = default;
};

EntryIdentity IdentityOf(const std::wstring& kind, const CResultNode& node);
EntryIdentity IdentityOf(const InventoryEntry& entry);

// The name to show for a record in messages: its displayName when it has a
// non-empty one, else its ID. Raw: make it visible before showing it.
std::wstring DisplayNameOf(const CResultNode& node);
std::wstring DisplayNameOf(const InventoryEntry& entry);

}  // namespace inventory
