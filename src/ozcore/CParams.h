#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "ozcore/OzCoreExport.h"

// A named value's data: text, or a 32-bit signed number.
using ParamValue = std::variant<std::wstring, std::int32_t>;

// One named value of a record: a key and its list of values. Discovery
// stores exactly one value per key; readers use Values(1).
class OZCORE_API CParam {
 public:
  CParam(std::wstring key, ParamValue value);

  const std::wstring& Key() const;
  // 1-based; an out-of-range index gives an empty text.
  const ParamValue& Values(std::size_t index) const;
  std::size_t ValueCount() const;
  // Values(1) as text (a number in decimal).
  std::wstring Text() const;
  // Values(1) as a number (text that is not a decimal number gives 0).
  std::int32_t Number() const;

 private:
  std::wstring key_;
  std::vector<ParamValue> values_;
};

// A keyed collection of CParam. Keys match without regard to letter case;
// insertion order is kept; a key is never added twice.
class OZCORE_API CParams {
 public:
  CParams();
  ~CParams();
  CParams(const CParams& other);
  CParams& operator=(const CParams& other);
  CParams(CParams&& other) noexcept;
  CParams& operator=(CParams&& other) noexcept;

  // False (and nothing stored) when the key is already present.
  bool Add(const std::wstring& key, ParamValue value);
  bool IsInCollection(const std::wstring& key) const;
  std::size_t Count() const;
  // nullptr when the key is not present.
  const CParam* Find(const std::wstring& key) const;
  // By 1-based position; nullptr when out of range.
  const CParam* At(std::size_t index) const;
  // Values(1) of key as text; empty when the key is not present.
  std::wstring Text(const std::wstring& key) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// One add-on record: its registry name and its named values.
class OZCORE_API CResultNode {
 public:
  CResultNode();
  ~CResultNode();
  std::wstring ID;
  CParams params;
};

// The records of one discovery run, in the order found. Records are shared
// so that table rows can hold the record they show after the list is gone.
class OZCORE_API CResultNodes {
 public:
  CResultNodes();
  ~CResultNodes();
  CResultNodes(CResultNodes&& other) noexcept;
  CResultNodes& operator=(CResultNodes&& other) noexcept;

  // Appends a new empty record and returns it.
  CResultNode& Add();
  std::size_t Count() const;
  // By 1-based position; nullptr when out of range.
  CResultNode* Item(std::size_t index) const;
  std::shared_ptr<CResultNode> Shared(std::size_t index) const;

 private:
  std::vector<std::shared_ptr<CResultNode>> nodes_;
};
