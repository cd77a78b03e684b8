#include "ozcore/EnvText.h"

namespace envtext {
namespace {

bool SameName(const std::wstring& a, const wchar_t* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == L'\0';
}

}  // namespace

std::wstring Expand(const std::wstring& text, const Lookup& lookup) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find(L'%', i);
    if (open == std::wstring::npos) break;
    const std::size_t close = text.find(L'%', open + 1);
    if (close == std::wstring::npos) break;
    out.append(text, i, open - i);
    const std::wstring name = text.substr(open + 1, close - open - 1);
    const std::optional<std::wstring> value = name.empty() ? std::nullopt : lookup(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // Unset: the first "%" stays as text and the search goes on from the
      // second, which may open the next reference ("%a%b%c%").
      out.append(text, open, close - open);
      i = close;
    }
  }
  out.append(text, i, std::wstring::npos);
  return out;
}

std::wstring Wow32Variable(const std::wstring& name) {
  static const wchar_t* const pairs[][2] = {
      {L"ProgramFiles", L"ProgramFiles(x86)"},
      {L"CommonProgramFiles", L"CommonProgramFiles(x86)"},
  };
  for (const auto& pair : pairs)
    if (SameName(name, pair[0])) return pair[1];
  return {};
}

std::optional<std::wstring> Wow32FixedValue(const std::wstring& name) {
  if (SameName(name, L"PROCESSOR_ARCHITECTURE")) return std::wstring(L"x86");
  return std::nullopt;
}

}  // namespace envtext
