#pragma once
// A registry the engine reads: the running machine's, one held in memory,
// or the hive files of a disk image. Only reads; every answer is counted
// and bounded. Platform-free.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// The two trees of a registry: HKEY_LOCAL_MACHINE, and HKEY_USERS whose
// subkeys are the users' hives by SID (".DEFAULT", and "<SID>_Classes" for
// a user's class registrations).
enum class Tree { Machine, Users };

// Value types the engine tells apart (the registry's numbers).
namespace valuetype {
constexpr std::uint32_t kString = 1;        // REG_SZ
constexpr std::uint32_t kExpandString = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t kBinary = 3;        // REG_BINARY
constexpr std::uint32_t kDword = 4;         // REG_DWORD
constexpr std::uint32_t kLink = 6;          // REG_LINK
constexpr std::uint32_t kMultiString = 7;   // REG_MULTI_SZ
constexpr std::uint32_t kQword = 11;        // REG_QWORD
}  // namespace valuetype

// A value as read: its type and bytes, or, when it is larger than the
// reader asked for, only its type and size.
struct ValueData {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  std::uint64_t size = 0;  // bytes stored
  bool tooLarge = false;   // over the limit: bytes left empty
};

// A subkey as a listing of its parent gives it: its name and its last write
// time (100-nanosecond intervals since 1601).
struct SubKeyInfo {
  std::wstring name;
  std::optional<std::uint64_t> lastWrite;
};

// Key paths are counted key names joined by "\" ("" is the tree itself);
// a name may hold NUL or a line break and still names exactly its own key.
// Key and value names compare without regard to letter case. Nothing
// follows a symbolic link key: a link is a key whose IsLink answer is true,
// listed with no subkeys and no values (a source may still answer a read of
// the link's own value: what it holds is the link, never the target's).
class RegistrySource {
 public:
  virtual ~RegistrySource() = default;

  virtual bool KeyExists(Tree tree, const std::wstring& path) = 0;
  // Subkey and value names in the source's order; empty for a missing key.
  virtual std::vector<std::wstring> SubKeyNames(Tree tree, const std::wstring& path) = 0;
  virtual std::vector<std::wstring> ValueNames(Tree tree, const std::wstring& path) = 0;
  // A value ("" is the key's default value); nothing when the key or the
  // value is missing. A value over maxBytes comes back tooLarge.
  virtual std::optional<ValueData> ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                             std::size_t maxBytes) = 0;
  // True when the key itself is a symbolic link.
  virtual bool IsLink(Tree tree, const std::wstring& path) = 0;
  // The key's last write time (100-nanosecond intervals since 1601).
  virtual std::optional<std::uint64_t> LastWriteTime(Tree tree, const std::wstring& path) = 0;
  // The subkeys with their times, as SubKeyNames and LastWriteTime of each
  // would give them; a source whose listing carries the times gives them
  // in one pass.
  virtual std::vector<SubKeyInfo> SubKeysWithTimes(Tree tree, const std::wstring& path) {
    std::vector<SubKeyInfo> keys;
    for (auto& name : SubKeyNames(tree, path)) {
      std::optional<std::uint64_t> time = LastWriteTime(tree, path.empty() ? name : path + L"\\" + name);
      keys.push_back({std::move(name), time});
    }
    return keys;
  }
};

// The largest value the engine reads whole: no add-on needs more, and a
// hostile 64 MB value must not cost 64 MB.
constexpr std::size_t kMaxReadValueBytes = 1024 * 1024;

}  // namespace engine
