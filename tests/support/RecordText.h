#pragma once
// A listed record as plain values and as one line of text, for comparing
// listings and for failure messages.
#include <string>
#include <utility>
#include <vector>

#include "ozcore/CParams.h"

namespace qlmtest {

struct ExpectedRecord {
  std::wstring id;
  std::vector<std::pair<std::wstring, ParamValue>> values;
};

inline ExpectedRecord FromNode(const CResultNode& node) {
  ExpectedRecord record{node.ID, {}};
  for (std::size_t i = 1; i <= node.params.Count(); ++i) {
    const CParam* p = node.params.At(i);
    record.values.emplace_back(p->Key(), p->Values(1));
  }
  return record;
}

inline std::wstring Describe(const ExpectedRecord& record) {
  std::wstring text = L"[" + record.id + L"]";
  for (const auto& [key, value] : record.values) {
    const auto* number = std::get_if<std::int32_t>(&value);
    text += L" " + key + L"=" + (number ? L"#" + std::to_wstring(*number) : L"\"" + std::get<std::wstring>(value) + L"\"");
  }
  return text;
}

}  // namespace qlmtest
