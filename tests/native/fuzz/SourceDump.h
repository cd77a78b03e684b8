#pragma once
// Every key and value of a registry source below a key, as text by which
// two sources are compared: one line per key (its path below the start;
// "link" when it is one), one per value (name, type, bytes in hex, or the
// size of a value over maxBytes). Names and values in case-folded order,
// so sources that order them differently compare equal; names written
// with control and non-ASCII characters as \uXXXX, so a NUL shows.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/sources/RegistrySource.h"
#include "ozcore/CaseFold.h"

namespace qlmtest {

inline std::string Visible(const std::wstring& text) {
  std::string out;
  for (const wchar_t ch : text) {
    if (ch >= 0x20 && ch < 0x7F && ch != L'\\') {
      out.push_back(static_cast<char>(ch));
      continue;
    }
    char unit[8];
    std::snprintf(unit, sizeof unit, "\\u%04x", static_cast<unsigned>(ch) & 0xFFFF);
    out += unit;
  }
  return out;
}

inline std::vector<std::wstring> FoldSorted(std::vector<std::wstring> names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::wstring& a, const std::wstring& b) { return FoldCase(a) < FoldCase(b); });
  return names;
}

inline void DumpKey(engine::RegistrySource& source, engine::Tree tree, const std::wstring& path,
                    const std::wstring& shown, std::size_t maxBytes, int depth, std::string& out) {
  static const char digits[] = "0123456789abcdef";
  const bool link = source.IsLink(tree, path);
  out += "[" + Visible(shown) + "]" + (link ? " link\n" : "\n");
  for (const auto& name : FoldSorted(source.ValueNames(tree, path))) {
    const auto value = source.ReadValue(tree, path, name, maxBytes);
    out += "  \"" + Visible(name) + "\" ";
    if (!value) {
      out += "unreadable\n";
      continue;
    }
    out += std::to_string(value->type) + (value->tooLarge ? " too large " + std::to_string(value->size) : " ");
    for (const auto byte : value->bytes) out += {digits[byte >> 4], digits[byte & 15]};
    out += "\n";
  }
  if (depth >= 64) return;
  for (const auto& sub : FoldSorted(source.SubKeyNames(tree, path)))
    DumpKey(source, tree, path.empty() ? sub : path + L"\\" + sub, shown + L"\\" + sub, maxBytes, depth + 1, out);
}

inline std::string Dump(engine::RegistrySource& source, engine::Tree tree, const std::wstring& path,
                        std::size_t maxBytes = engine::kMaxReadValueBytes) {
  std::string out;
  if (source.KeyExists(tree, path)) DumpKey(source, tree, path, L"", maxBytes, 0, out);
  return out;
}

}  // namespace qlmtest
