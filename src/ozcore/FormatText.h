#pragma once
// Message templates: "%1", "%2", ... filled in from a list. Platform-free.
#include <string>
#include <vector>

#include "ozcore/OzCoreExport.h"

namespace formattext {

// Replaces "%1", "%2", ... in one pass; text brought in by an argument is
// never replaced again. A marker without an argument is left as it is.
OZCORE_API std::wstring Format(const std::wstring& text, const std::vector<std::wstring>& args);

}  // namespace formattext
