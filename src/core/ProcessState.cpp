#include "core/ProcessState.h"

namespace core {
CErrorLog* gLog = nullptr;
std::wstring gDataFolder;
bool gIsNT = true;
bool gIsNT4 = false;
FileResolver* gFileChecker = nullptr;
}  // namespace core
