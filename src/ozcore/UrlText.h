#pragma once
// Text for a web address. Platform-free.
#include <string>

#include "ozcore/OzCoreExport.h"

namespace urltext {

// Percent-encodes the UTF-8 bytes of text; A-Z a-z 0-9 - _ . ~ stay.
OZCORE_API std::wstring PercentEncode(const std::wstring& text);

}  // namespace urltext
