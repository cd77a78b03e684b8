#include "ozcore/RegExportText.h"

#include <vector>

namespace regtext {
namespace {

// The editor ends a hex line with ",\" once it reaches this many characters.
constexpr std::size_t kHexLineLimit = 77;

std::wstring HexType(std::uint32_t type) {
  if (type == kBinary) return L"hex:";
  static const wchar_t digits[] = L"0123456789abcdef";
  std::wstring n;
  do {
    n.insert(n.begin(), digits[type & 15]);
    type >>= 4;
  } while (type != 0);
  return L"hex(" + n + L"):";
}

std::wstring HexData(std::size_t lineLength, std::uint32_t type, const unsigned char* data, std::size_t size) {
  static const wchar_t digits[] = L"0123456789abcdef";
  std::wstring out = HexType(type);
  lineLength += out.size();
  out.reserve(out.size() + size * 3 + size / 8);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
    if (i + 1 == size) break;
    out.push_back(L',');
    lineLength += 3;
    if (lineLength >= kHexLineLimit) {
      out += L"\\\r\n  ";
      lineLength = 2;
    }
  }
  return out;
}

// A REG_SZ that reads back as exactly these bytes from its quoted form:
// whole UTF-16 characters, one closing NUL and none before it, and no line
// break (which would end the line in the file).
bool IsPlainString(const unsigned char* data, std::size_t size) {
  if (size < 2 || size % 2 != 0) return false;
  const std::size_t chars = size / 2;
  for (std::size_t i = 0; i < chars; ++i) {
    const unsigned ch = data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8);
    if ((ch == 0) != (i + 1 == chars)) return false;
    if (ch == L'\r' || ch == L'\n') return false;
  }
  return true;
}

std::wstring Utf16(const unsigned char* data, std::size_t chars) {
  std::wstring text(chars, L'\0');
  for (std::size_t i = 0; i < chars; ++i)
    text[i] = static_cast<wchar_t>(data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8));
  return text;
}

}  // namespace

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + 8);
  for (wchar_t ch : text) {
    if (ch == L'\\' || ch == L'"') out.push_back(L'\\');
    out.push_back(ch);
  }
  return out;
}

namespace {
bool HasLineBreakOrNul(const std::wstring& name) {
  for (wchar_t ch : name)
    if (ch == L'\0' || ch == L'\r' || ch == L'\n') return true;
  return false;
}
}  // namespace

bool CarriesKeyName(const std::wstring& name) {
  // An empty name cannot be written at all; every other character but "\"
  // (which no key name holds) reads back, brackets included.
  return !name.empty() && !HasLineBreakOrNul(name) && name.find(L'\\') == std::wstring::npos;
}

bool CarriesValueName(const std::wstring& name) { return !HasLineBreakOrNul(name); }

std::wstring KeyLine(const std::wstring& fullKeyName) { return L"\r\n[" + fullKeyName + L"]\r\n"; }

std::wstring ValueLine(const std::wstring& name, std::uint32_t type, const unsigned char* data, std::size_t size) {
  std::wstring line = name.empty() ? L"@=" : L"\"" + Escape(name) + L"\"=";
  if (type == kSz && IsPlainString(data, size)) {
    line += L"\"" + Escape(Utf16(data, size / 2 - 1)) + L"\"";
  } else if (type == kDword && size == 4) {
    static const wchar_t digits[] = L"0123456789abcdef";
    const std::uint32_t v = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    line += L"dword:";
    for (int shift = 28; shift >= 0; shift -= 4) line.push_back(digits[(v >> shift) & 15]);
  } else {
    line += HexData(line.size(), type, data, size);
  }
  line += L"\r\n";
  return line;
}

}  // namespace regtext
