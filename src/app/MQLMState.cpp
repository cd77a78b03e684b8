#include "app/MQLMState.h"

namespace MQLM {
CErrorLog* gLog = nullptr;
std::wstring gDataFolder;
bool gIsNT = true;
bool gIsNT4 = false;
}  // namespace MQLM
