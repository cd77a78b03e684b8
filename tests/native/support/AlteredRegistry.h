#pragma once
// A registry in memory as a broken or hostile source could show it: every
// string value with another type, or one more HKEY_USERS subkey whose name
// holds "\" (which no key in memory can have, but a hive file can).
#include <optional>

#include "engine/sources/MemoryRegistry.h"

namespace qlmtest {

class AlteredRegistry final : public engine::RegistrySource {
 public:
  using Tree = engine::Tree;
  explicit AlteredRegistry(engine::MemoryRegistry& inner) : inner_(inner) {}

  std::optional<std::uint32_t> stringType;  // every string value read with this type
  std::wstring extraUser;                   // listed last below HKEY_USERS

  std::vector<std::wstring> SubKeyNames(Tree tree, const std::wstring& path) override {
    auto names = inner_.SubKeyNames(tree, path);
    if (tree == Tree::Users && path.empty() && !extraUser.empty()) names.push_back(extraUser);
    return names;
  }
  std::optional<engine::ValueData> ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                             std::size_t maxBytes) override {
    auto value = inner_.ReadValue(tree, path, name, maxBytes);
    using namespace engine::valuetype;
    if (value && stringType && (value->type == kString || value->type == kExpandString)) value->type = *stringType;
    return value;
  }
  bool KeyExists(Tree tree, const std::wstring& path) override { return inner_.KeyExists(tree, path); }
  std::vector<std::wstring> ValueNames(Tree t, const std::wstring& p) override { return inner_.ValueNames(t, p); }
  bool IsLink(Tree tree, const std::wstring& path) override { return inner_.IsLink(tree, path); }
  std::optional<std::uint64_t> LastWriteTime(Tree t, const std::wstring& p) override {
    return inner_.LastWriteTime(t, p);
  }

 private:
  engine::MemoryRegistry& inner_;
};

}  // namespace qlmtest
