#pragma once
// One resource of a file, read without running the file.
#include <cstdint>
#include <string>
#include <vector>

#include "ozcore/OzCoreExport.h"

namespace fileresource {

// The bytes of one resource (numeric type and id, any language) of a file
// loaded as a data image, so its code never runs; never more than the
// loaded image holds, whatever size the file claims. Empty when the file
// or the resource is missing. No "insert a disk" box meanwhile.
OZCORE_API std::vector<unsigned char> Read(const std::wstring& file, std::uint16_t type, std::uint16_t id);

}  // namespace fileresource
