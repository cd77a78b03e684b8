#pragma once
// Toolbar buttons and menu items: subkeys named by a CLSID under the
// "Extensions" key of the machine and of each user.
#include <windows.h>

#include <optional>
#include <string>

#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "discovery/HiveWalk.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class DiscoveryRun;

inline constexpr const wchar_t* kButtonMachinePath = L"Software\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr const wchar_t* kButtonUserPath = L"\\Software\\Microsoft\\Internet Explorer\\Extensions";

// Every entry of every registry view, read afresh; no list when the walk
// itself failed (logged as "ButtonTable.EnumToolbarButtons").
std::optional<CResultNodes> EnumToolbarButtons();

// Appends a record for each entry among the subkey names of one location.
// A failure is logged ("ButtonTable.FillTBButtonInfo") and ends this
// location.
void FillTBButtonInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                      const CStringDictionary& names, CResultNodes& list, const LocationViews& views = {});

}  // namespace discovery
