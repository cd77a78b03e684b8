#pragma once
// The version strings of a file (CompanyName, ProductVersion, ...), read
// from its version resource by our own parser, without running the file.
#include <string>

#include "ozcore/CStringDictionary.h"
#include "ozcore/OzCoreExport.h"

namespace versionstrings {

// Empty when the file has none or cannot be read. Keys compare without
// regard to case. The language and code page the file declares first are
// read, else the usual US English tables.
OZCORE_API CStringDictionary Read(const std::wstring& file);

}  // namespace versionstrings
