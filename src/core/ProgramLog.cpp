#include "core/ProgramLog.h"

namespace core {
CErrorLog* gLog = nullptr;
}  // namespace core
