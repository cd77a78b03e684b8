#pragma once
// Browser helper objects: subkeys named by a CLSID under one machine-wide
// key; the subkey's default value is the name.
#include <windows.h>

#include <optional>
#include <string>

#include "engine/kinds/Listings.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class DiscoveryRun;

// EnumBHOs (declared in Listings.h): every entry, read afresh; no list when the listing itself failed (logged
// as "ucBHO.EnumBHOs").
// Every registry view is read, the 64-bit one first.

// Appends a record for each entry among the subkey names. A failure is
// logged ("ucBHO.FillBHOInfo") and ends the listing of this key.
// The entries and their classes are read in view.
void FillBHOInfo(DiscoveryRun& run, const CStringDictionary& names, CResultNodes& list, HKEY root,
                 RegView view = RegView::Default);

}  // namespace discovery
