#pragma once
// UTF-16 <-> UTF-8. A lone surrogate and a malformed byte sequence each
// become U+FFFD. Platform-free.
#include <string>

#include "ozcore/OzCoreExport.h"

namespace utf8text {

OZCORE_API std::string ToUtf8(const std::wstring& text);
OZCORE_API std::wstring FromUtf8(const std::string& text);

}  // namespace utf8text
