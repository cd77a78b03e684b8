#pragma once
// The listing routine of each add-on kind: a fresh list of the kind's
// records, or nothing when the routine itself failed (logged). Platform-free
// declarations; each routine lives with its kind's discovery code.
#include <optional>

#include "ozcore/CParams.h"

namespace discovery {

std::optional<CResultNodes> EnumToolbars();
std::optional<CResultNodes> EnumToolbarButtons();
std::optional<CResultNodes> EnumContextMenus();
std::optional<CResultNodes> EnumObjects();
std::optional<CResultNodes> EnumBHOs();

}  // namespace discovery
