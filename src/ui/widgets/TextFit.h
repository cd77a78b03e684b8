#pragma once
// Fitting a line of text into a width by leaving out its middle, so that
// both its start and its end stay readable: a path keeps its drive and its
// file name. Platform-free (the caller measures), so it builds and runs
// anywhere.
#include <functional>
#include <string>

namespace TextFit {

// What stands for the characters left out.
inline constexpr wchar_t kEllipsis = L'\u2026';

using Measure = std::function<int(const std::wstring&)>;

// text when it fits maxWidth; else its start, the ellipsis and its end, as
// much of both as fits (at least the ellipsis). A surrogate pair is never
// split. Very long texts are measured only near their ends.
std::wstring ShortenInMiddle(const std::wstring& text, int maxWidth, const Measure& measure);

// As ShortenInMiddle, but a path keeps its last part (from the last "\" or
// "/") whole when that and the ellipsis fit; folders go first.
std::wstring ShortenPath(const std::wstring& text, int maxWidth, const Measure& measure);

}  // namespace TextFit
