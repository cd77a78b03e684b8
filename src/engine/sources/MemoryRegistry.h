#pragma once
// A registry held in memory: the source the engine's tests list from, and
// what a .reg text or an image's hives can be read into. Subkeys come in
// the registry's order (names compared in upper case), values in the
// order they were set. Platform-free.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/sources/RegistrySource.h"

namespace engine {

class MemoryRegistry final : public RegistrySource {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(MemoryRegistry&&) noexcept;
  MemoryRegistry& operator=(MemoryRegistry&&) noexcept;

  // Makes the key and every missing key on its way.
  void CreateKey(Tree tree, const std::wstring& path);
  // Sets a value (replacing one of the same name), making the key.
  void SetValue(Tree tree, const std::wstring& path, const std::wstring& name, std::uint32_t type,
                std::vector<std::uint8_t> bytes);
  // A REG_SZ (or the given string type) with its terminating NUL.
  void SetString(Tree tree, const std::wstring& path, const std::wstring& name, const std::wstring& text,
                 std::uint32_t type = valuetype::kString);
  void SetDword(Tree tree, const std::wstring& path, const std::wstring& name, std::uint32_t number);
  // Marks the key (made when missing) a symbolic link.
  void MarkLink(Tree tree, const std::wstring& path);
  void SetLastWriteTime(Tree tree, const std::wstring& path, std::uint64_t time);
  // Removes the key and everything below it; false when it is missing.
  bool DeleteKey(Tree tree, const std::wstring& path);
  bool DeleteValue(Tree tree, const std::wstring& path, const std::wstring& name);

  bool KeyExists(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> SubKeyNames(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> ValueNames(Tree tree, const std::wstring& path) override;
  std::optional<ValueData> ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                     std::size_t maxBytes) override;
  bool IsLink(Tree tree, const std::wstring& path) override;
  std::optional<std::uint64_t> LastWriteTime(Tree tree, const std::wstring& path) override;

  struct Key;

 private:
  Key* Find(Tree tree, const std::wstring& path) const;
  Key& Make(Tree tree, const std::wstring& path);

  std::unique_ptr<Key> machine_, users_;
  // The key Make gave last (forgotten when a key is deleted).
  Key* lastMade_ = nullptr;
  Tree lastMadeTree_ = Tree::Machine;
  std::wstring lastMadePath_;
};

// Splits a key path at "\" into its names (counted; empty names dropped).
std::vector<std::wstring> SplitKeyPath(const std::wstring& path);

}  // namespace engine
