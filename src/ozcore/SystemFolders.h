#pragma once
// Folders the system names for this user and this machine.
#include <string>

#include "ozcore/OzCoreExport.h"

namespace systemfolders {

// The user's roaming application data folder, ending with "\"; empty when
// neither the shell nor the APPDATA variable names one.
OZCORE_API std::wstring RoamingAppData();

// The Windows folder, without a trailing "\"; empty when it cannot be had.
OZCORE_API std::wstring Windows();

}  // namespace systemfolders
