#pragma once
// Explorer bars: COM classes that declare one of the two explorer-bar
// component categories. Machine-wide only.
#include <optional>
#include <string>

#include "engine/kinds/Listings.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class DiscoveryRun;

// The vertical and the horizontal explorer-bar categories, in listing order.

// EnumObjects (declared in Listings.h): every bar, once per category it declares, read afresh; no list when the
// listing itself failed (logged as "ucExplorerBars.EnumObjects").
// Every registry view is read: the 64-bit view's bars first.

// Appends a record for each bar among the CLSIDs of one category. A failure
// is logged ("ucExplorerBars.FillObjectInfo") and ends this category.
// The classes are read in view.
void FillObjectInfo(DiscoveryRun& run, const CStringDictionary& classIds, CResultNodes& list,
                    const std::wstring& category, RegView view = RegView::Default);

}  // namespace discovery
