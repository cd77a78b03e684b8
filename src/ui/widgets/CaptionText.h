#pragma once
// Text rules for captions with access keys: "&" marks the access letter and
// "&&" stands for one "&". Platform-free, so it builds and runs anywhere.
#include <functional>
#include <string>
#include <utility>

namespace CaptionText {

// The text as shown: marks removed, "&&" turned into "&".
std::wstring Plain(const std::wstring& caption);

// The access letter in upper case, or 0 when the caption has none.
wchar_t AccessLetter(const std::wstring& caption);

// Whether a typed character selects the caption's access letter (case-blind).
bool MatchesAccessKey(const std::wstring& caption, wchar_t typed);

// Splits a caption into at most two lines at the space that makes the wider
// line narrowest. measure gives the width of the plain text of a line. A
// caption without spaces, or one whose plain text fits in oneLineWidth,
// stays on one line (second is empty).
std::pair<std::wstring, std::wstring> SplitInTwo(const std::wstring& caption, int oneLineWidth,
                                                 const std::function<int(const std::wstring&)>& measure);

}  // namespace CaptionText
