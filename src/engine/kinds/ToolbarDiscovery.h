#pragma once
// Toolbars: values named by a CLSID under the machine's "Toolbar" key and
// each user's "Toolbar\WebBrowser" key.
#include <windows.h>

#include <optional>
#include <string>

#include "engine/kinds/Listings.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "engine/kinds/HiveWalk.h"
#include "ozcore/CStringDictionary.h"

class UniqueNamer;

namespace discovery {

class DiscoveryRun;

// EnumToolbars (declared in Listings.h): every listed toolbar of every registry view, read afresh; display names
// numbered afresh over the whole listing. No list when the walk itself
// failed (logged as "ucTB.EnumToolbars").

// Appends a record for each toolbar among the value names of one location.
// A failure is logged ("ucTB.FillTBInfo") and ends this location.
void FillTBInfo(DiscoveryRun& run, UniqueNamer& namer, const CStringDictionary& names, CResultNodes& list, HKEY root,
                const std::wstring& path, const std::wstring& scope, const LocationViews& views = {});

}  // namespace discovery
