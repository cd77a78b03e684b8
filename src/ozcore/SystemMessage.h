#pragma once
// The system's words for a Win32 error code.
#include <cstdint>
#include <string>

#include "ozcore/OzCoreExport.h"

namespace systemmessage {

// The system's message for code, without the trailing line break; "Error N"
// when the system has none.
OZCORE_API std::wstring ForCode(std::uint32_t code);

}  // namespace systemmessage
