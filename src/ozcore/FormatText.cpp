#include "ozcore/FormatText.h"

namespace formattext {

std::wstring Format(const std::wstring& text, const std::vector<std::wstring>& args) {
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

}  // namespace formattext
