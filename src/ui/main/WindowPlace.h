#pragma once
// The main window's size, place and pane sizes, remembered across starts
// in the user's registry key (HKEY_CURRENT_USER\<key>, the REG_DWORD values
// WindowLeft, WindowTop, WindowWidth, WindowHeight, WindowMaximized,
// TreeWidth and DetailsHeight).
#include <optional>
#include <string>

#include "ui/main/WindowPlaceRules.h"

namespace windowplace {

// The place remembered under key when every value passes the rules and
// the window would lie on one of the screens there are now; none
// otherwise, or when key is empty or runs through a registry link.
std::optional<Place> Recall(const std::wstring& key, int minWidth, int minHeight);

// Remembers place under key (nothing for an empty key); never writes
// through a registry link. True when every value was written.
bool Remember(const std::wstring& key, const Place& place);

}  // namespace windowplace
