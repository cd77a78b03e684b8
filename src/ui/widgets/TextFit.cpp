#include "ui/widgets/TextFit.h"

#include <algorithm>

namespace TextFit {
namespace {

// No line on any screen shows more characters than this; beyond it only
// the ends are looked at.
constexpr std::size_t kMostMeasured = 4096;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The first n characters, one fewer where the n-th starts a pair.
std::wstring Head(const std::wstring& text, std::size_t n) {
  n = std::min(n, text.size());
  if (n > 0 && n < text.size() && IsHighSurrogate(text[n - 1]) && IsLowSurrogate(text[n])) --n;
  return text.substr(0, n);
}

// The last n characters, one fewer where the first of them ends a pair.
std::wstring Tail(const std::wstring& text, std::size_t n) {
  std::size_t start = text.size() - std::min(n, text.size());
  if (start > 0 && start < text.size() && IsLowSurrogate(text[start]) && IsHighSurrogate(text[start - 1])) ++start;
  return text.substr(start);
}

// The joined text with the most characters kept (0 to most) that fits; with
// none kept when even that is too wide. Wider texts keep more, so halving
// the range finds it in a few measurements.
template <typename Joined>
std::wstring MostThatFits(std::size_t most, int maxWidth, const Measure& measure, const Joined& joined) {
  std::size_t fits = 0, tooWide = most + 1;
  while (tooWide - fits > 1) {
    const std::size_t middle = fits + (tooWide - fits) / 2;
    if (measure(joined(middle)) <= maxWidth)
      fits = middle;
    else
      tooWide = middle;
  }
  return joined(fits);
}

bool Fits(const std::wstring& text, int maxWidth, const Measure& measure) {
  return text.size() <= kMostMeasured && measure(text) <= maxWidth;
}

}  // namespace

std::wstring ShortenInMiddle(const std::wstring& text, int maxWidth, const Measure& measure) {
  if (text.empty() || Fits(text, maxWidth, measure)) return text;
  const auto joined = [&](std::size_t kept) {
    return Head(text, (kept + 1) / 2) + kEllipsis + Tail(text, kept / 2);
  };
  return MostThatFits(std::min(text.size() - 1, kMostMeasured), maxWidth, measure, joined);
}

std::wstring ShortenPath(const std::wstring& text, int maxWidth, const Measure& measure) {
  if (text.empty() || Fits(text, maxWidth, measure)) return text;
  const std::size_t slash = text.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash == 0) return ShortenInMiddle(text, maxWidth, measure);
  const std::wstring name = text.substr(slash);
  if (!Fits(kEllipsis + name, maxWidth, measure)) return ShortenInMiddle(text, maxWidth, measure);
  const std::wstring folders = text.substr(0, slash);
  const auto joined = [&](std::size_t kept) { return Head(folders, kept) + kEllipsis + name; };
  return MostThatFits(std::min(folders.size() - 1, kMostMeasured), maxWidth, measure, joined);
}

}  // namespace TextFit
