#pragma once
// Context-menu extensions: subkeys of the "MenuExt" key of the machine and
// of each user; the subkey's name is the menu text, its default value the
// address of what the item runs.
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

// EnumContextMenus (declared in Listings.h): every entry, read afresh (an empty listing does not hide later entries);
// no list when the walk itself failed (logged as
// "ucMenuExt.EnumContextMenus").
// Every registry view is read.

// Appends a record for every subkey of one location. A failure is logged
// ("ucMenuExt.FillContextMenuInfo") and ends this location.
void FillContextMenuInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                         const CStringDictionary& names, CResultNodes& list, const LocationViews& views = {});

}  // namespace discovery
