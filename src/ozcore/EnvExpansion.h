#pragma once
// Environment references ("%ProgramFiles%") expanded with this process's
// variables, as a process of either bitness sees them.
#include <string>

#include "ozcore/OzCoreExport.h"

namespace envexpansion {

// Expanded with the values a process of the given kind sees: as32BitProcess
// gives what a 32-bit process on 64-bit Windows reads ("C:\Program Files
// (x86)" for ProgramFiles), whatever the bitness of this one. Unset
// references stay.
OZCORE_API std::wstring Expand(const std::wstring& text, bool as32BitProcess);

// The file a registry file string names, in the form to search for it:
// pathtext::UnquotedFileName, then expanded as this process sees it. The
// folder part is kept.
OZCORE_API std::wstring FileSearchName(const std::wstring& path);

}  // namespace envexpansion
