#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ozcore/OzCoreExport.h"

// An ordered collection of string items, each under a unique string key.
// Items keep the order in which they were added. Keys compare exactly
// (Compare::Binary, the default) or without regard to letter case
// (Compare::Text). Indexes are 1-based.
class OZCORE_API CStringDictionary {
 public:
  enum class Compare { Binary, Text };

  explicit CStringDictionary(Compare compare = Compare::Binary);
  ~CStringDictionary();
  CStringDictionary(const CStringDictionary& other);
  CStringDictionary& operator=(const CStringDictionary& other);
  CStringDictionary(CStringDictionary&& other) noexcept;
  CStringDictionary& operator=(CStringDictionary&& other) noexcept;

  // Appends item under key. False (and nothing changes) when the key exists.
  bool Add(const std::wstring& item, const std::wstring& key);
  // Adds the key or replaces its item in place (its position is kept).
  void Set(const std::wstring& key, const std::wstring& item);
  // False when the key is not present.
  bool Remove(const std::wstring& key);
  void Clear();

  bool Exists(const std::wstring& key) const;
  // The item stored under key; empty when the key is not present.
  std::wstring Item(const std::wstring& key) const;
  bool TryGet(const std::wstring& key, std::wstring& item) const;
  // Item and key by 1-based position; empty when out of range.
  std::wstring Item(std::size_t index) const;
  std::wstring Key(std::size_t index) const;
  std::size_t Count() const;
  // All items, in order.
  std::vector<std::wstring> Items() const;
  std::vector<std::wstring> Keys() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
