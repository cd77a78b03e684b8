#pragma once
// A record's registry root and view as the live registry calls take them.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"

namespace discovery {

// A registry root as it travels in a record's "key": the 32-bit value of the
// predefined handle (HKEY_LOCAL_MACHINE is 0x80000002).
std::int32_t RootNumber(HKEY root);
HKEY RootFromNumber(std::int32_t number);

// The registry views discovery reads, in listing order: the 64-bit view,
// then the 32-bit one, on 64-bit Windows; the one view elsewhere.
std::vector<RegView> RegistryViews();
// A record's "view" as a view of this system. A record without a view, or
// a view this system does not have, gives the default view.
RegView ViewOfRecord(const CResultNode& node);

}  // namespace discovery
