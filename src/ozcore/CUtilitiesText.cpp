// The platform-free part of CUtilities: text formatting and encoding.
#include "ozcore/CUtilities.h"

std::wstring CUtilities::FormatString(const std::wstring& text, const std::vector<std::wstring>& args) {
  std::wstring out;
  out.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
      // The longest number that names an argument wins: "%12" is argument
      // 12 when there are twelve, else argument 1 followed by "2".
      std::size_t j = i + 1;
      std::size_t n = 0;
      std::size_t best = 0, bestEnd = 0;
      while (j < text.size() && text[j] >= L'0' && text[j] <= L'9' && n < 100000) {
        n = n * 10 + static_cast<std::size_t>(text[j] - L'0');
        ++j;
        if (n >= 1 && n <= args.size()) {
          best = n;
          bestEnd = j;
        }
      }
      if (best != 0) {
        out += args[best - 1];
        i = bestEnd;
        continue;
      }
    }
    out.push_back(text[i]);
    ++i;
  }
  return out;
}

std::wstring CUtilities::UrlEncode(const std::wstring& text) {
  static const char hex[] = "0123456789ABCDEF";
  const std::string utf8 = ToUtf8(text);
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

std::wstring CUtilities::FileNamePart(const std::wstring& path) {
  const auto pos = path.find_last_of(L"\\/");
  return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::string CUtilities::ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = static_cast<std::uint16_t>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      const std::uint32_t lo = static_cast<std::uint16_t>(text[i + 1]);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // lone surrogate
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::wstring CUtilities::FromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
    }
    if (len > 1) {
      if (i + len > text.size()) {
        len = 1;
      } else {
        cp = c & (0x7F >> len);
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k) {
          const auto cc = static_cast<unsigned char>(text[i + k]);
          if ((cc & 0xC0) != 0x80) ok = false;
          cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
          cp = 0xFFFD;
          len = 1;
        }
      }
    }
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(cp > 0x10FFFF ? 0xFFFD : cp));
    }
    i += len;
  }
  return out;
}
