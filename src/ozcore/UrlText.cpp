#include "ozcore/UrlText.h"

#include "ozcore/Utf8Text.h"

namespace urltext {

std::wstring PercentEncode(const std::wstring& text) {
  static const char hex[] = "0123456789ABCDEF";
  const std::string utf8 = utf8text::ToUtf8(text);
  std::wstring out;
  out.reserve(utf8.size() * 3);
  for (unsigned char c : utf8) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                            c == '_' || c == '.' || c == '~';
    if (unreserved) {
      out.push_back(static_cast<wchar_t>(c));
    } else {
      out.push_back(L'%');
      out.push_back(static_cast<wchar_t>(hex[c >> 4]));
      out.push_back(static_cast<wchar_t>(hex[c & 15]));
    }
  }
  return out;
}

}  // namespace urltext
