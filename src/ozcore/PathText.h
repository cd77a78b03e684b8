#pragma once
// The parts of a file path as text, without asking the file system.
// Platform-free.
#include <string>

#include "ozcore/OzCoreExport.h"

namespace pathtext {

// The file-name part of a path (after the last "\" or "/").
OZCORE_API std::wstring FileNamePart(const std::wstring& path);

// The file a registry file string names, as written: surrounding spaces and
// tabs removed, the quotes around a quoted name dropped with anything after
// the closing one. Environment references stay.
OZCORE_API std::wstring UnquotedFileName(const std::wstring& path);

}  // namespace pathtext
