#pragma once
// Toolbar buttons and menu items: subkeys named by a CLSID under the
// "Extensions" key of the machine and of each user.
#include <windows.h>

#include <optional>
#include <string>

#include "engine/kinds/Listings.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "engine/kinds/HiveWalk.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class DiscoveryRun;

// EnumToolbarButtons (declared in Listings.h): every entry of every registry view, read afresh; no list when the walk
// itself failed (logged as "ucTBButtons.EnumToolbarButtons").

// Appends a record for each entry among the subkey names of one location.
// A failure is logged ("ucTBButtons.FillTBButtonInfo") and ends this
// location.
void FillTBButtonInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                      const CStringDictionary& names, CResultNodes& list, const LocationViews& views = {});

}  // namespace discovery
