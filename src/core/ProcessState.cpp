#include "core/ProcessState.h"

namespace MQLM {
CErrorLog* gLog = nullptr;
std::wstring gDataFolder;
bool gIsNT = true;
bool gIsNT4 = false;
CFileChecker* gFileChecker = nullptr;
}  // namespace MQLM
