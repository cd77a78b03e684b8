#include "engine/files/IndirectStringText.h"

#include "engine/text/AddonText.h"

namespace discovery {

namespace {

constexpr std::uint64_t kMaxStringNumber = 65535;

// A decimal number at the start of text, as described above; false when it
// is too large to be a string number.
bool ReadRoundedNumber(const std::wstring& text, std::uint32_t& number) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  std::uint64_t whole = 0;
  bool tooLarge = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    whole = whole * 10 + static_cast<unsigned>(text[i] - L'0');
    if (whole > kMaxStringNumber) {
      tooLarge = true;
      whole = kMaxStringNumber;  // keeps the sum small; the result is refused anyway
    }
  }
  if (i < text.size() && text[i] == L'.') {
    ++i;
    // Only the first fraction digit and whether any other is non-zero
    // decide the rounding.
    int firstDigit = -1;
    bool restNonZero = false;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
      if (firstDigit < 0)
        firstDigit = text[i] - L'0';
      else if (text[i] != L'0')
        restNonZero = true;
    }
    if (firstDigit > 5 || (firstDigit == 5 && (restNonZero || whole % 2 == 1))) ++whole;
  }
  if (tooLarge || whole > kMaxStringNumber) return false;
  number = static_cast<std::uint32_t>(whole);
  return true;
}

}  // namespace

bool ParseIndirectString(const std::wstring& text, std::wstring& file, std::uint32_t& number) {
  file.clear();
  number = 0;
  if (text.empty() || text[0] != L'@') return false;
  const auto comma = text.find(L',', 1);
  if (comma == std::wstring::npos) return false;
  file = text::TrimSpaces(text.substr(1, comma - 1));
  if (file.empty()) return false;

  const auto nextComma = text.find(L',', comma + 1);
  std::wstring piece = text.substr(comma + 1, nextComma == std::wstring::npos ? std::wstring::npos : nextComma - comma - 1);
  std::wstring digits;
  for (wchar_t ch : piece)
    if (ch != L'-') digits.push_back(ch);
  if (!ReadRoundedNumber(digits, number)) {
    file.clear();
    return false;
  }
  return true;
}

}  // namespace discovery
