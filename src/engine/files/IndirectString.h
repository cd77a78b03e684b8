#pragma once
// Button and menu texts may point into a file's string table:
// "@C:\Program Files\Maker\bar.dll,-101".
#include <string>

namespace discovery {

// The string such a text points to, read from the file loaded as data only
// (its code never runs). Any other text, or one whose file or string cannot
// be read, is returned unchanged. Environment variables in the file part
// are expanded first.
std::wstring LoadIndirectString(const std::wstring& text);

}  // namespace discovery
