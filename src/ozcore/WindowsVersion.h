#pragma once
// The version of the running system.
#include <cstdint>
#include <optional>
#include <string>

#include "ozcore/OzCoreExport.h"

namespace windowsversion {

struct Version {
  std::int32_t major = 0, minor = 0, build = 0;
  std::int32_t platformId = 0;  // 2 for the NT family
  std::wstring servicePack;
};

// The true version, whatever compatibility shims tell GetVersionEx;
// nothing when the system does not say.
OZCORE_API std::optional<Version> Read();

// One line for the log: "Windows NT 10.0.19045 (x64)", the service pack
// after the numbers when there is one, the processor's architecture last.
OZCORE_API std::wstring Describe(const Version& version);

}  // namespace windowsversion
