#include "ozcore/PathText.h"

namespace pathtext {

std::wstring FileNamePart(const std::wstring& path) {
  const auto pos = path.find_last_of(L"\\/");
  return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring UnquotedFileName(const std::wstring& path) {
  const auto first = path.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  const auto last = path.find_last_not_of(L" \t");
  std::wstring name = path.substr(first, last - first + 1);
  if (!name.empty() && name.front() == L'"') {
    const auto close = name.find(L'"', 1);
    name = close == std::wstring::npos ? name.substr(1) : name.substr(1, close - 1);
  }
  return name;
}

}  // namespace pathtext
