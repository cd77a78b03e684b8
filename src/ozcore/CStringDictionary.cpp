#include "ozcore/CStringDictionary.h"

#include <unordered_map>
#include <utility>

#include "ozcore/CaseFold.h"

// Entries live in a vector in insertion order; a hash index maps each key to
// its slot. Removal leaves a hole that is squeezed out before the next
// positional access, so Add, Remove and lookups by key stay O(1).
struct CStringDictionary::Impl {
  struct Entry {
    std::wstring key;
    std::wstring item;
    bool removed = false;
  };
  Compare compare;
  std::vector<Entry> entries;
  std::unordered_map<std::wstring, std::size_t> index;
  std::size_t holes = 0;

  explicit Impl(Compare c) : compare(c) {}

  std::wstring IndexKey(const std::wstring& key) const { return compare == Compare::Text ? FoldCase(key) : key; }

  const Entry* Find(const std::wstring& key) const {
    auto it = index.find(IndexKey(key));
    return it == index.end() ? nullptr : &entries[it->second];
  }

  void Compact() {
    if (holes == 0) return;
    std::vector<Entry> kept;
    kept.reserve(entries.size() - holes);
    index.clear();
    for (auto& e : entries) {
      if (e.removed) continue;
      index.emplace(IndexKey(e.key), kept.size());
      kept.push_back(std::move(e));
    }
    entries = std::move(kept);
    holes = 0;
  }
};

CStringDictionary::CStringDictionary(Compare compare) : impl_(std::make_unique<Impl>(compare)) {}
CStringDictionary::~CStringDictionary() = default;
CStringDictionary::CStringDictionary(const CStringDictionary& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
CStringDictionary& CStringDictionary::operator=(const CStringDictionary& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
CStringDictionary::CStringDictionary(CStringDictionary&& other) noexcept
    : impl_(std::exchange(other.impl_, std::make_unique<Impl>(other.impl_->compare))) {}
CStringDictionary& CStringDictionary::operator=(CStringDictionary&& other) noexcept {
  if (this != &other) impl_.swap(other.impl_);
  return *this;
}

bool CStringDictionary::Add(const std::wstring& item, const std::wstring& key) {
  auto [it, inserted] = impl_->index.emplace(impl_->IndexKey(key), impl_->entries.size());
  if (!inserted) return false;
  impl_->entries.push_back({key, item, false});
  return true;
}

void CStringDictionary::Set(const std::wstring& key, const std::wstring& item) {
  auto it = impl_->index.find(impl_->IndexKey(key));
  if (it == impl_->index.end()) {
    Add(item, key);
  } else {
    impl_->entries[it->second].item = item;
  }
}

bool CStringDictionary::Remove(const std::wstring& key) {
  auto it = impl_->index.find(impl_->IndexKey(key));
  if (it == impl_->index.end()) return false;
  auto& entry = impl_->entries[it->second];
  entry.removed = true;
  entry.key.clear();
  entry.item.clear();
  impl_->index.erase(it);
  ++impl_->holes;
  return true;
}

void CStringDictionary::Clear() {
  impl_->entries.clear();
  impl_->index.clear();
  impl_->holes = 0;
}

bool CStringDictionary::Exists(const std::wstring& key) const { return impl_->Find(key) != nullptr; }

std::wstring CStringDictionary::Item(const std::wstring& key) const {
  const auto* e = impl_->Find(key);
  return e ? e->item : std::wstring();
}

bool CStringDictionary::TryGet(const std::wstring& key, std::wstring& item) const {
  const auto* e = impl_->Find(key);
  if (!e) return false;
  item = e->item;
  return true;
}

std::wstring CStringDictionary::Item(std::size_t index) const {
  impl_->Compact();
  if (index < 1 || index > impl_->entries.size()) return {};
  return impl_->entries[index - 1].item;
}

std::wstring CStringDictionary::Key(std::size_t index) const {
  impl_->Compact();
  if (index < 1 || index > impl_->entries.size()) return {};
  return impl_->entries[index - 1].key;
}

std::size_t CStringDictionary::Count() const { return impl_->entries.size() - impl_->holes; }

std::vector<std::wstring> CStringDictionary::Items() const {
  std::vector<std::wstring> out;
  out.reserve(Count());
  for (const auto& e : impl_->entries)
    if (!e.removed) out.push_back(e.item);
  return out;
}

std::vector<std::wstring> CStringDictionary::Keys() const {
  std::vector<std::wstring> out;
  out.reserve(Count());
  for (const auto& e : impl_->entries)
    if (!e.removed) out.push_back(e.key);
  return out;
}
