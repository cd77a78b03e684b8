#pragma once
// Button and menu texts may point into a file's string table:
// "@C:\Program Files\Maker\bar.dll,-101".
#include <string>

namespace discovery {

// The string such a text points to, read from the file's bytes by our own
// reader (the file is never loaded), or from its language file
// ("<folder>\en-US\<name>.mui") when the file itself has none. Environment
// variables in the file part are expanded first; only a full local drive
// path is read. Any other text, or one whose file or string cannot be
// read, is returned unchanged.
std::wstring LoadIndirectString(const std::wstring& text);

}  // namespace discovery
