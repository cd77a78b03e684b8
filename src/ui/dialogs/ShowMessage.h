#pragma once
// The one way the program shows a message once its main window exists: a
// task dialog owned by the main window, with the Delete command's image as
// its icon.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Messages.h"

namespace dialogs {

// The command whose image every message shows, and the image's size.
constexpr int kMessageIconCommand = 5001;
constexpr int kMessageIconSize = 32;

// Shows text modally, centred over the part of the main window its owner
// registration names (MessageOwner::centreOver); an empty title becomes the
// product name. Returns the flag of the pressed button (1, 2, 4 or 8).
// Raises QlmError when there is no main window or the dialog cannot be
// shown; the caller's handler deals with it.
// The presenter the message owner's registration installs (see
// MessageOwner).
std::int32_t ShowTaskDialogMessage(const std::wstring& text, std::int32_t buttons, const std::wstring& title);

// A task dialog with one button per choice, then the common buttons, owned
// as above. Closing it counts as Cancel.
core::Choice ShowTaskDialogChoice(const std::wstring& text, const std::wstring& title,
                                  const std::vector<std::wstring>& choices, std::int32_t buttons);

}  // namespace dialogs
