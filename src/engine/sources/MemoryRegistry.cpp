#include "engine/sources/MemoryRegistry.h"

#include <unordered_map>

#include "ozcore/CaseFold.h"

namespace engine {

struct MemoryRegistry::Key {
  std::wstring name;
  // Keyed by the upper-case name: the registry's order and its matching.
  std::map<std::wstring, std::unique_ptr<Key>> subkeys;
  struct Value {
    std::wstring name;
    ValueData data;
  };
  // In the order they were set (a value set again keeps its place), found
  // by the upper-case name: a key of a million values is read in
  // n log n, not n squared.
  std::map<std::uint64_t, Value> values;
  std::unordered_map<std::wstring, std::uint64_t> valueOrder;
  std::uint64_t nextOrder = 0;
  bool link = false;
  std::uint64_t lastWrite = 0;

  Value* FindValue(const std::wstring& valueName) {
    const auto it = valueOrder.find(FoldCase(valueName));
    return it == valueOrder.end() ? nullptr : &values.at(it->second);
  }
};

std::vector<std::wstring> SplitKeyPath(const std::wstring& path) {
  std::vector<std::wstring> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find(L'\\', start);
    const std::size_t end = slash == std::wstring::npos ? path.size() : slash;
    if (end > start) names.push_back(path.substr(start, end - start));
    if (slash == std::wstring::npos) break;
    start = slash + 1;
  }
  return names;
}

MemoryRegistry::MemoryRegistry() : machine_(std::make_unique<Key>()), users_(std::make_unique<Key>()) {}
MemoryRegistry::~MemoryRegistry() = default;
MemoryRegistry::MemoryRegistry(MemoryRegistry&&) noexcept = default;
MemoryRegistry& MemoryRegistry::operator=(MemoryRegistry&&) noexcept = default;

MemoryRegistry::Key* MemoryRegistry::Find(Tree tree, const std::wstring& path) const {
  Key* key = tree == Tree::Machine ? machine_.get() : users_.get();
  for (const auto& name : SplitKeyPath(path)) {
    // Nothing is found through a link: its target is never read.
    if (key->link) return nullptr;
    const auto it = key->subkeys.find(FoldCase(name));
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

MemoryRegistry::Key& MemoryRegistry::Make(Tree tree, const std::wstring& path) {
  // A run of values set on one key walks the path once.
  if (lastMade_ && lastMadeTree_ == tree && lastMadePath_ == path) return *lastMade_;
  Key* key = tree == Tree::Machine ? machine_.get() : users_.get();
  for (const auto& name : SplitKeyPath(path)) {
    auto& slot = key->subkeys[FoldCase(name)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = name;
    }
    key = slot.get();
  }
  lastMade_ = key;
  lastMadeTree_ = tree;
  lastMadePath_ = path;
  return *key;
}

void MemoryRegistry::CreateKey(Tree tree, const std::wstring& path) { Make(tree, path); }

void MemoryRegistry::SetValue(Tree tree, const std::wstring& path, const std::wstring& name, std::uint32_t type,
                              std::vector<std::uint8_t> bytes) {
  Key& key = Make(tree, path);
  ValueData data;
  data.type = type;
  data.size = bytes.size();
  data.bytes = std::move(bytes);
  const auto [order, added] = key.valueOrder.try_emplace(FoldCase(name), key.nextOrder);
  if (added) ++key.nextOrder;
  auto& value = key.values[order->second];
  if (added) value.name = name;
  value.data = std::move(data);
}

void MemoryRegistry::SetString(Tree tree, const std::wstring& path, const std::wstring& name,
                               const std::wstring& text, std::uint32_t type) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (const wchar_t ch : text) {
    bytes.push_back(static_cast<std::uint8_t>(ch & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((ch >> 8) & 0xFF));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  SetValue(tree, path, name, type, std::move(bytes));
}

void MemoryRegistry::SetDword(Tree tree, const std::wstring& path, const std::wstring& name, std::uint32_t number) {
  SetValue(tree, path, name, valuetype::kDword,
           {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
}

void MemoryRegistry::MarkLink(Tree tree, const std::wstring& path) { Make(tree, path).link = true; }

void MemoryRegistry::SetLastWriteTime(Tree tree, const std::wstring& path, std::uint64_t time) {
  Make(tree, path).lastWrite = time;
}

bool MemoryRegistry::DeleteKey(Tree tree, const std::wstring& path) {
  auto names = SplitKeyPath(path);
  if (names.empty()) return false;
  const std::wstring leaf = names.back();
  names.pop_back();
  std::wstring parentPath;
  for (const auto& name : names) parentPath.append(name).push_back(L'\\');
  Key* parent = Find(tree, parentPath);
  // Nothing below a link is reached, to delete or otherwise.
  if (!parent || parent->link || parent->subkeys.erase(FoldCase(leaf)) == 0) return false;
  lastMade_ = nullptr;
  return true;
}

bool MemoryRegistry::DeleteValue(Tree tree, const std::wstring& path, const std::wstring& name) {
  Key* key = Find(tree, path);
  if (!key) return false;
  const auto it = key->valueOrder.find(FoldCase(name));
  if (it == key->valueOrder.end()) return false;
  key->values.erase(it->second);
  key->valueOrder.erase(it);
  return true;
}

bool MemoryRegistry::KeyExists(Tree tree, const std::wstring& path) { return Find(tree, path) != nullptr; }

std::vector<std::wstring> MemoryRegistry::SubKeyNames(Tree tree, const std::wstring& path) {
  std::vector<std::wstring> names;
  const Key* key = Find(tree, path);
  if (!key || key->link) return names;
  names.reserve(key->subkeys.size());
  for (const auto& [folded, subkey] : key->subkeys) names.push_back(subkey->name);
  return names;
}

std::vector<std::wstring> MemoryRegistry::ValueNames(Tree tree, const std::wstring& path) {
  std::vector<std::wstring> names;
  const Key* key = Find(tree, path);
  if (!key || key->link) return names;
  names.reserve(key->values.size());
  for (const auto& [order, value] : key->values) names.push_back(value.name);
  return names;
}

std::optional<ValueData> MemoryRegistry::ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                                   std::size_t maxBytes) {
  Key* key = Find(tree, path);
  if (!key || key->link) return std::nullopt;
  const Key::Value* value = key->FindValue(name);
  if (!value) return std::nullopt;
  ValueData data = value->data;
  if (data.bytes.size() > maxBytes) {
    data.bytes.clear();
    data.tooLarge = true;
  }
  return data;
}

bool MemoryRegistry::IsLink(Tree tree, const std::wstring& path) {
  const Key* key = Find(tree, path);
  return key && key->link;
}

std::optional<std::uint64_t> MemoryRegistry::LastWriteTime(Tree tree, const std::wstring& path) {
  const Key* key = Find(tree, path);
  if (!key) return std::nullopt;
  return key->lastWrite;
}

}  // namespace engine
