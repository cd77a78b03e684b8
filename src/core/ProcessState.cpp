#include "core/ProcessState.h"

namespace core {
CErrorLog* gLog = nullptr;
}  // namespace core
