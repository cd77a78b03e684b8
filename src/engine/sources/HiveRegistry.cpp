#include "engine/sources/HiveRegistry.h"

#include <algorithm>

#include "engine/sources/MemoryRegistry.h"
#include "ozcore/CaseFold.h"

namespace engine {

namespace {

using Named = HiveNamed;
bool ByHash(const Named& a, const Named& b) { return a.hash < b.hash; }

std::uint32_t NameHash(const std::wstring& folded) {
  std::uint32_t hash = 0x811C9DC5u;
  for (const wchar_t ch : folded) hash = (hash ^ static_cast<std::uint16_t>(ch)) * 0x01000193u;
  return hash;
}

// The names in the lists of the keys looked in, each key's run by hash
// (equal hashes in the hive's order), all in one pool: a few bytes a key
// and 8 a name.
struct NameIndex {
  struct Run {
    std::uint32_t first = 0, count = 0;
  };
  std::unordered_map<std::uint32_t, Run> runs;  // by the key's cell
  std::vector<Named> pool;

  // The run of what visit hands over (subkeys or values), made in scratch.
  template <class Item, class Visit>
  static void Make(std::vector<Named>& scratch, Visit visit) {
    scratch.clear();
    visit([&](const Item& item) { scratch.push_back({NameHash(FoldCase(item.name)), item.cell}); });
    std::stable_sort(scratch.begin(), scratch.end(), ByHash);
  }
  Run Add(std::uint32_t cell, const std::vector<Named>& run) {
    const Run added{static_cast<std::uint32_t>(pool.size()), static_cast<std::uint32_t>(run.size())};
    pool.insert(pool.end(), run.begin(), run.end());
    return runs[cell] = added;
  }
  // The cells whose names may be the folded name (the hash matches).
  std::pair<const Named*, const Named*> Candidates(Run run, const std::wstring& folded) const {
    const Named* first = pool.data() + run.first;
    return std::equal_range(first, first + run.count, Named{NameHash(folded), 0}, ByHash);
  }
};

// The first of a key's subkeys or values (open reads one by its cell)
// whose name folds to folded, through the key's run in index, made on
// first use from visit in scratch (counted hears how many names it took).
template <class Item, class Counted, class Visit, class Open>
std::optional<Item> FindNamed(NameIndex& index, std::uint32_t cell, const std::wstring& folded,
                              std::vector<Named>& scratch, Counted counted, Visit visit, Open open) {
  const auto found = index.runs.find(cell);
  NameIndex::Run run = found == index.runs.end() ? NameIndex::Run{} : found->second;
  if (found == index.runs.end()) {
    NameIndex::Make<Item>(scratch, visit);
    // Counting may empty every index (this one too) before the run goes in.
    counted(scratch.size());
    run = index.Add(cell, scratch);
  }
  for (auto [it, end] = index.Candidates(run, folded); it != end; ++it) {
    auto item = open(it->cell);
    if (item && FoldCase(item->name) == folded) return item;
  }
  return std::nullopt;
}

}  // namespace

struct HiveRegistry::Hive {
  Tree tree = Tree::Machine;
  std::wstring name, folded;
  std::unique_ptr<HiveFile> file;
  std::optional<HiveKey> root;
  // The subkeys and values of the keys looked in: a lookup reads no list
  // again, only the nodes whose names may match (the first that does wins).
  NameIndex subkeys, values;
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
  for (auto& hive : hives_) hive->subkeys = hive->values = {};
  indexedNames_ = names;
}

std::optional<HiveKey> HiveRegistry::SubKey(Hive& hive, const HiveKey& key, const std::wstring& folded) {
  return FindNamed<HiveKey>(
      hive.subkeys, key.cell, folded, scratch_, [this](std::size_t names) { Indexed(names); },
      [&](const auto& add) { hive.file->VisitSubKeys(key, add); },
      [&](std::uint32_t cell) { return hive.file->Key(cell); });
}

std::optional<HiveValue> HiveRegistry::Value(Hive& hive, const HiveKey& key, const std::wstring& folded) {
  return FindNamed<HiveValue>(
      hive.values, key.cell, folded, scratch_, [this](std::size_t names) { Indexed(names); },
      [&](const auto& add) { hive.file->VisitValues(key, add); },
      [&](std::uint32_t cell) { return hive.file->Value(cell); });
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
