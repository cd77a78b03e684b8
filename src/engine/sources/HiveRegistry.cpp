#include "engine/sources/HiveRegistry.h"

#include "engine/sources/MemoryRegistry.h"
#include "ozcore/CaseFold.h"

namespace engine {

struct HiveRegistry::Hive {
  Tree tree = Tree::Machine;
  std::wstring name, folded;
  std::unique_ptr<HiveFile> file;
  std::optional<HiveKey> root;
  // The subkeys and values of the keys looked in, by folded name (the
  // first of a name wins), so a lookup reads no list again.
  std::unordered_map<std::uint32_t, std::unordered_map<std::wstring, HiveKey>> subkeys;
  std::unordered_map<std::uint32_t, std::unordered_map<std::wstring, HiveValue>> values;
};

HiveRegistry::HiveRegistry() = default;
HiveRegistry::~HiveRegistry() = default;

bool HiveRegistry::Mount(Tree tree, const std::wstring& name, std::unique_ptr<HiveFile> hive) {
  if (!hive || name.empty() || name.find(L'\\') != std::wstring::npos || FindHive(tree, name)) return false;
  auto mounted = std::make_unique<Hive>();
  mounted->tree = tree;
  mounted->name = name;
  mounted->folded = FoldCase(name);
  mounted->file = std::move(hive);
  hives_.push_back(std::move(mounted));
  return true;
}

HiveRegistry::Hive* HiveRegistry::FindHive(Tree tree, const std::wstring& name) {
  const std::wstring folded = FoldCase(name);
  for (auto& hive : hives_)
    if (hive->tree == tree && hive->folded == folded) return hive.get();
  return nullptr;
}

HiveFile* HiveRegistry::Mounted(Tree tree, const std::wstring& name) {
  Hive* hive = FindHive(tree, name);
  return hive ? hive->file.get() : nullptr;
}

void HiveRegistry::Indexed(std::size_t names) {
  indexedNames_ += names;
  if (indexedNames_ <= kMaxIndexedNames) return;
  for (auto& hive : hives_) {
    hive->subkeys.clear();
    hive->values.clear();
  }
  indexedNames_ = names;
}

const HiveKey* HiveRegistry::SubKey(Hive& hive, const HiveKey& key, const std::wstring& name) {
  auto found = hive.subkeys.find(key.cell);
  if (found == hive.subkeys.end()) {
    auto subkeys = hive.file->SubKeys(key);
    Indexed(subkeys.size());
    std::unordered_map<std::wstring, HiveKey> index;
    for (auto& subkey : subkeys) index.try_emplace(FoldCase(subkey.name), std::move(subkey));
    found = hive.subkeys.emplace(key.cell, std::move(index)).first;
  }
  const auto it = found->second.find(FoldCase(name));
  return it == found->second.end() ? nullptr : &it->second;
}

const HiveValue* HiveRegistry::Value(Hive& hive, const HiveKey& key, const std::wstring& name) {
  auto found = hive.values.find(key.cell);
  if (found == hive.values.end()) {
    auto values = hive.file->Values(key);
    Indexed(values.size());
    std::unordered_map<std::wstring, HiveValue> index;
    for (auto& value : values) index.try_emplace(FoldCase(value.name), std::move(value));
    found = hive.values.emplace(key.cell, std::move(index)).first;
  }
  const auto it = found->second.find(FoldCase(name));
  return it == found->second.end() ? nullptr : &it->second;
}

std::optional<HiveRegistry::Found> HiveRegistry::Find(Tree tree, const std::wstring& path) {
  const auto names = SplitKeyPath(path);
  Found found;
  if (names.empty()) return found;
  found.hive = FindHive(tree, names[0]);
  if (!found.hive) return std::nullopt;
  auto& root = found.hive->root;
  if (!root) root = found.hive->file->Key(found.hive->file->RootCell());
  if (!root) return std::nullopt;
  found.key = *root;
  for (std::size_t i = 1; i < names.size(); ++i) {
    // Nothing is found through a link: its target is never read.
    if (found.key.IsLink()) return std::nullopt;
    const HiveKey* subkey = SubKey(*found.hive, found.key, names[i]);
    if (!subkey) return std::nullopt;
    found.key = *subkey;
  }
  return found;
}

bool HiveRegistry::KeyExists(Tree tree, const std::wstring& path) { return Find(tree, path).has_value(); }

std::vector<std::wstring> HiveRegistry::SubKeyNames(Tree tree, const std::wstring& path) {
  std::vector<std::wstring> names;
  const auto found = Find(tree, path);
  if (!found) return names;
  if (!found->hive) {
    for (const auto& hive : hives_)
      if (hive->tree == tree) names.push_back(hive->name);
    return names;
  }
  for (const auto& subkey : found->hive->file->SubKeys(found->key)) names.push_back(subkey.name);
  return names;
}

std::vector<std::wstring> HiveRegistry::ValueNames(Tree tree, const std::wstring& path) {
  std::vector<std::wstring> names;
  const auto found = Find(tree, path);
  if (!found || !found->hive) return names;
  for (const auto& value : found->hive->file->Values(found->key)) names.push_back(value.name);
  return names;
}

std::optional<ValueData> HiveRegistry::ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                                 std::size_t maxBytes) {
  const auto found = Find(tree, path);
  if (!found || !found->hive || found->key.IsLink()) return std::nullopt;
  const HiveValue* value = Value(*found->hive, found->key, name);
  if (!value) return std::nullopt;
  return found->hive->file->Data(*value, maxBytes);
}

bool HiveRegistry::IsLink(Tree tree, const std::wstring& path) {
  const auto found = Find(tree, path);
  return found && found->hive && found->key.IsLink();
}

std::optional<std::uint64_t> HiveRegistry::LastWriteTime(Tree tree, const std::wstring& path) {
  const auto found = Find(tree, path);
  if (!found) return std::nullopt;
  return found->hive ? found->key.lastWrite : 0;
}

}  // namespace engine
