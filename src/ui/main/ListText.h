#pragma once
// The texts of the list commands that need no window: where the registry
// editor is to open, and the name Save List suggests. No <windows.h>.
#include <string>

namespace listtext {

// The key the registry editor shows an entry's key under ("Computer\" +
// root name + "\" + path). The editor shows the native view: a 32-bit
// entry of the machine's Software key is under its WOW6432Node (the
// classes' own one for Software\Classes).
std::wstring RegistryEditorKey(const std::wstring& rootName, const std::wstring& path, bool machine32Bit);

// The file name Save List suggests: the pattern ("Quillmoor add-ons %1")
// with the date as yyyy-mm-dd.
std::wstring SuggestedListName(const std::wstring& pattern, int year, int month, int day);

}  // namespace listtext
