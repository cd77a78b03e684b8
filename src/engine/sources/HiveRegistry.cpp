#include "engine/sources/HiveRegistry.h"

#include <algorithm>

#include "engine/sources/MemoryRegistry.h"
#include "ozcore/CaseFold.h"

namespace engine {

namespace {

// A name's place in a key's list, found by the hash of its folded name.
struct Named {
  std::uint32_t hash = 0;
  std::uint32_t cell = 0;
};
using NameIndex = std::vector<Named>;  // by hash; equal hashes in the hive's order

std::uint32_t NameHash(const std::wstring& folded) {
  std::uint32_t hash = 0x811C9DC5u;
  for (const wchar_t ch : folded) hash = (hash ^ static_cast<std::uint16_t>(ch)) * 0x01000193u;
  return hash;
}

// The index of what visit hands over (subkeys or values).
template <class Item, class Visit>
NameIndex IndexOf(Visit visit) {
  NameIndex index;
  visit([&](const Item& item) { index.push_back({NameHash(FoldCase(item.name)), item.cell}); });
  index.shrink_to_fit();
  std::stable_sort(index.begin(), index.end(), [](const Named& a, const Named& b) { return a.hash < b.hash; });
  return index;
}

// The cells whose names may be the folded name (the hash matches).
std::pair<NameIndex::const_iterator, NameIndex::const_iterator> Candidates(const NameIndex& index,
                                                                           const std::wstring& folded) {
  return std::equal_range(index.begin(), index.end(), Named{NameHash(folded), 0},
                          [](const Named& a, const Named& b) { return a.hash < b.hash; });
}

}  // namespace

struct HiveRegistry::Hive {
  Tree tree = Tree::Machine;
  std::wstring name, folded;
  std::unique_ptr<HiveFile> file;
  std::optional<HiveKey> root;
  // The subkeys and values of the keys looked in: a lookup reads no list
  // again, only the nodes whose names may match (the first that does wins).
  std::unordered_map<std::uint32_t, NameIndex> subkeys, values;
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

std::optional<HiveKey> HiveRegistry::SubKey(Hive& hive, const HiveKey& key, const std::wstring& folded) {
  auto found = hive.subkeys.find(key.cell);
  if (found == hive.subkeys.end()) {
    const std::uint32_t cell = key.cell;
    NameIndex index = IndexOf<HiveKey>([&](const auto& add) { hive.file->VisitSubKeys(key, add); });
    Indexed(index.size());
    found = hive.subkeys.emplace(cell, std::move(index)).first;
  }
  for (auto [it, end] = Candidates(found->second, folded); it != end; ++it) {
    auto subkey = hive.file->Key(it->cell);
    if (subkey && FoldCase(subkey->name) == folded) return subkey;
  }
  return std::nullopt;
}

std::optional<HiveValue> HiveRegistry::Value(Hive& hive, const HiveKey& key, const std::wstring& folded) {
  auto found = hive.values.find(key.cell);
  if (found == hive.values.end()) {
    NameIndex index = IndexOf<HiveValue>([&](const auto& add) { hive.file->VisitValues(key, add); });
    Indexed(index.size());
    found = hive.values.emplace(key.cell, std::move(index)).first;
  }
  for (auto [it, end] = Candidates(found->second, folded); it != end; ++it) {
    auto value = hive.file->Value(it->cell);
    if (value && FoldCase(value->name) == folded) return value;
  }
  return std::nullopt;
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
    auto subkey = SubKey(*found.hive, found.key, FoldCase(names[i]));
    if (!subkey) return std::nullopt;
    found.key = std::move(*subkey);
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
  found->hive->file->VisitSubKeys(found->key, [&](const HiveKey& subkey) { names.push_back(subkey.name); });
  return names;
}

std::vector<std::wstring> HiveRegistry::ValueNames(Tree tree, const std::wstring& path) {
  std::vector<std::wstring> names;
  const auto found = Find(tree, path);
  if (!found || !found->hive) return names;
  found->hive->file->VisitValues(found->key, [&](const HiveValue& value) { names.push_back(value.name); });
  return names;
}

std::optional<ValueData> HiveRegistry::ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                                 std::size_t maxBytes) {
  const auto found = Find(tree, path);
  if (!found || !found->hive || found->key.IsLink()) return std::nullopt;
  const auto value = Value(*found->hive, found->key, FoldCase(name));
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
