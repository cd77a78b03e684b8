#pragma once
// Context-menu extensions: subkeys of the "MenuExt" key of the machine and
// of each user; the subkey's name is the menu text, its default value the
// address of what the item runs.
#include <windows.h>

#include <optional>
#include <string>

#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "discovery/HiveWalk.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class DiscoveryRun;

inline constexpr const wchar_t* kMenuExtMachinePath = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr const wchar_t* kMenuExtUserPath = L"\\Software\\Microsoft\\Internet Explorer\\MenuExt";

// Every entry, read afresh (an empty listing does not hide later entries);
// no list when the walk itself failed (logged as
// "MenuExtensionTable.EnumContextMenus").
// Every registry view is read.
std::optional<CResultNodes> EnumContextMenus();

// Appends a record for every subkey of one location. A failure is logged
// ("MenuExtensionTable.FillContextMenuInfo") and ends this location.
void FillContextMenuInfo(DiscoveryRun& run, HKEY root, const std::wstring& path, const std::wstring& scope,
                         const CStringDictionary& names, CResultNodes& list, const LocationViews& views = {});

}  // namespace discovery
