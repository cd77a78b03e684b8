#include "ui/widgets/CaptionText.h"

#include <algorithm>
#include <cwctype>

namespace CaptionText {

std::wstring Plain(const std::wstring& caption) {
  std::wstring out;
  out.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&') {
      // "&&" is a literal "&"; a lone mark (also a trailing one) vanishes.
      if (i + 1 < caption.size() && caption[i + 1] == L'&') {
        out.push_back(L'&');
        ++i;
      }
      continue;
    }
    out.push_back(caption[i]);
  }
  return out;
}

wchar_t AccessLetter(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    if (caption[i + 1] == L' ') return 0;
    return static_cast<wchar_t>(std::towupper(caption[i + 1]));
  }
  return 0;
}

bool MatchesAccessKey(const std::wstring& caption, wchar_t typed) {
  const wchar_t letter = AccessLetter(caption);
  return letter != 0 && letter == static_cast<wchar_t>(std::towupper(typed));
}

std::pair<std::wstring, std::wstring> SplitInTwo(const std::wstring& caption, int oneLineWidth,
                                                 const std::function<int(const std::wstring&)>& measure) {
  const std::wstring plain = Plain(caption);
  if (measure(plain) <= oneLineWidth) return {caption, {}};
  std::pair<std::wstring, std::wstring> best{caption, {}};
  int bestWidth = -1;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != L' ') continue;
    std::wstring first = caption.substr(0, i);
    std::wstring second = caption.substr(i + 1);
    if (first.empty() || second.empty()) continue;
    const int width = std::max(measure(Plain(first)), measure(Plain(second)));
    if (bestWidth < 0 || width < bestWidth) {
      bestWidth = width;
      best = {std::move(first), std::move(second)};
    }
  }
  return best;
}

}  // namespace CaptionText
