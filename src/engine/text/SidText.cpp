#include "engine/text/SidText.h"

namespace discovery {

namespace {

// A whole field of decimal digits that fits in 32 bits.
bool ReadNumber(const std::wstring& field, std::uint32_t& value) {
  if (field.empty() || field.size() > 10) return false;
  std::uint64_t n = 0;
  for (wchar_t ch : field) {
    if (ch < L'0' || ch > L'9') return false;
    n = n * 10 + static_cast<unsigned>(ch - L'0');
  }
  if (n > 0xFFFFFFFFull) return false;
  value = static_cast<std::uint32_t>(n);
  return true;
}

// The most sub-authorities a SID can have.
constexpr std::size_t kMaxSubAuthorities = 15;

}  // namespace

bool ParseSidText(const std::wstring& text, SidParts& parts) {
  parts = SidParts{};
  const auto first = text.find(L'-');
  if (first == std::wstring::npos) return false;

  std::vector<std::wstring> fields;
  std::size_t pos = first + 1;
  while (pos <= text.size()) {
    auto next = text.find(L'-', pos);
    if (next == std::wstring::npos) next = text.size();
    if (next > pos) {
      if (fields.size() == kMaxSubAuthorities + 2) return false;
      fields.push_back(text.substr(pos, next - pos));
    }
    pos = next + 1;
  }
  if (fields.size() < 3) return false;

  std::uint32_t number = 0;
  if (!ReadNumber(fields[0], number)) return false;  // revision: read, not used
  if (!ReadNumber(fields[1], number) || number > 255) return false;
  parts.authority = static_cast<std::uint8_t>(number);
  for (std::size_t i = 2; i < fields.size(); ++i) {
    if (!ReadNumber(fields[i], number)) {
      parts = SidParts{};
      return false;
    }
    parts.subAuthorities.push_back(number);
  }
  return true;
}

}  // namespace discovery
