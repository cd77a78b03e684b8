#pragma once
// The registry of a system that is not running, read from its hive files:
// each top key of a tree is a hive the caller names (below
// HKEY_LOCAL_MACHINE "SOFTWARE" from the software hive; below HKEY_USERS
// "<SID>" from a user's NTUSER.DAT, "<SID>_Classes" from their
// UsrClass.dat, ".DEFAULT" from the default hive). Only reads. Names
// compare without regard to letter case, folded as the memory registry
// folds them, and come in the hives' order. One thread at a time.
// Platform-free.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/sources/HiveFile.h"
#include "engine/sources/RegistrySource.h"

namespace engine {

// A name's place in a key's list, found by the hash of its folded name.
struct HiveNamed {
  std::uint32_t hash = 0;
  std::uint32_t cell = 0;
};

class HiveRegistry final : public RegistrySource {
 public:
  HiveRegistry();
  ~HiveRegistry() override;

  // Makes the hive the top key name of the tree; false when that name is
  // taken (in any letter case) or the name is empty or holds "\".
  bool Mount(Tree tree, const std::wstring& name, std::unique_ptr<HiveFile> hive);
  // The hive at a top key, for its report and problems; null when none.
  HiveFile* Mounted(Tree tree, const std::wstring& name);

  bool KeyExists(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> SubKeyNames(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> ValueNames(Tree tree, const std::wstring& path) override;
  std::optional<ValueData> ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                     std::size_t maxBytes) override;
  bool IsLink(Tree tree, const std::wstring& path) override;
  std::optional<std::uint64_t> LastWriteTime(Tree tree, const std::wstring& path) override;

  // Names remembered for lookups, in all hives, before they are forgotten
  // and read again (8 bytes each).
  static constexpr std::size_t kMaxIndexedNames = 4 * 1024 * 1024;

 private:
  struct Hive;
  // A key found: its hive and node; no hive for the tree itself.
  struct Found {
    Hive* hive = nullptr;
    HiveKey key;
  };
  std::optional<Found> Find(Tree tree, const std::wstring& path);
  Hive* FindHive(Tree tree, const std::wstring& name);
  std::optional<HiveKey> SubKey(Hive& hive, const HiveKey& key, const std::wstring& folded);
  std::optional<HiveValue> Value(Hive& hive, const HiveKey& key, const std::wstring& folded);
  void Indexed(std::size_t names);

  std::vector<std::unique_ptr<Hive>> hives_;
  std::size_t indexedNames_ = 0;
  std::vector<HiveNamed> scratch_;  // a key's names while they are indexed
};

}  // namespace engine
