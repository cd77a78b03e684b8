#include "app/MQLMState.h"

namespace MQLM {
CErrorLog* gLog = nullptr;
std::wstring gDataFolder;
bool gIsNT = true;
bool gIsNT4 = false;
CFileChecker* gFileChecker = nullptr;
FMain* gMainWindow = nullptr;
}  // namespace MQLM
