#include "ui/main/ListText.h"

#include <cstdio>

namespace listtext {
namespace {

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    wchar_t a = text[i], b = prefix[i];
    if (a >= L'a' && a <= L'z') a = static_cast<wchar_t>(a - L'a' + L'A');
    if (b >= L'a' && b <= L'z') b = static_cast<wchar_t>(b - L'a' + L'A');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

std::wstring RegistryEditorKey(const std::wstring& rootName, const std::wstring& path, bool machine32Bit) {
  std::wstring shown = path;
  if (machine32Bit) {
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring software = L"Software\\";
    if (StartsWithNoCase(shown, classes))
      shown.insert(classes.size(), L"WOW6432Node\\");
    else if (StartsWithNoCase(shown, software))
      shown.insert(software.size(), L"WOW6432Node\\");
  }
  std::wstring key = L"Computer\\" + rootName;
  if (!shown.empty()) key += L"\\" + shown;
  return key;
}

std::wstring SuggestedListName(const std::wstring& pattern, int year, int month, int day) {
  wchar_t date[16] = {};
  std::swprintf(date, 16, L"%04d-%02d-%02d", year, month, day);
  std::wstring name = pattern;
  const std::size_t at = name.find(L"%1");
  if (at != std::wstring::npos) name.replace(at, 2, date);
  return name;
}

}  // namespace listtext
