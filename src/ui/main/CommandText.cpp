#include "ui/main/CommandText.h"

#include "ozcore/UrlText.h"

namespace CommandText {

std::wstring FileNamePart(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring SearchAddress(const std::wstring& name) {
  return L"https://www.google.com/search?hl=en&q=" + urltext::PercentEncode(name);
}

}  // namespace CommandText
