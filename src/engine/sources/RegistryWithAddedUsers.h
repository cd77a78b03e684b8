#pragma once
// A registry with more users' hives below HKEY_USERS: the running machine's
// registry, and the hives of users who are not signed in, read from their
// files. The added registry answers for the top keys of HKEY_USERS named
// to it, which the caller has seen the base lacks (a loaded hive is never
// read from its file); the base for everything else. Only reads.
// Platform-free.
#include <set>

#include "engine/sources/RegistrySource.h"

namespace engine {

class RegistryWithAddedUsers final : public RegistrySource {
 public:
  // Both must outlive this registry.
  RegistryWithAddedUsers(RegistrySource& base, RegistrySource& added) : base_(base), added_(added) {}

  // Makes a top key of HKEY_USERS the added registry's.
  void Add(const std::wstring& topKey);

  bool KeyExists(Tree tree, const std::wstring& path) override { return For(tree, path).KeyExists(tree, path); }
  std::vector<std::wstring> SubKeyNames(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> ValueNames(Tree tree, const std::wstring& path) override {
    return For(tree, path).ValueNames(tree, path);
  }
  std::optional<ValueData> ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                     std::size_t maxBytes) override {
    return For(tree, path).ReadValue(tree, path, name, maxBytes);
  }
  bool IsLink(Tree tree, const std::wstring& path) override { return For(tree, path).IsLink(tree, path); }
  std::optional<std::uint64_t> LastWriteTime(Tree tree, const std::wstring& path) override {
    return For(tree, path).LastWriteTime(tree, path);
  }
  std::vector<SubKeyInfo> SubKeysWithTimes(Tree tree, const std::wstring& path) override {
    // The tree itself lists from both; below it, one source answers.
    if (tree == Tree::Users && path.empty()) return RegistrySource::SubKeysWithTimes(tree, path);
    return For(tree, path).SubKeysWithTimes(tree, path);
  }

 private:
  // The source that answers for a path: the added one for a key below a
  // user's top key that only it has.
  RegistrySource& For(Tree tree, const std::wstring& path);

  RegistrySource& base_;
  RegistrySource& added_;
  std::set<std::wstring> addedTops_;  // folded
  std::vector<std::wstring> addedNames_;
};

}  // namespace engine
