#pragma once
// The one way the program shows a message once its main window exists: a
// task dialog owned by the main window, with the Delete command's image as
// its icon.
#include <cstdint>
#include <string>

namespace MQLM {

// Button flags; a set may combine them. 0 lets the system choose (one OK).
constexpr std::int32_t kButtonOK = 1;
constexpr std::int32_t kButtonYes = 2;
constexpr std::int32_t kButtonNo = 4;
constexpr std::int32_t kButtonCancel = 8;

// The command whose image every message shows, and the image's size.
constexpr int kMessageIconCommand = 5001;
constexpr int kMessageIconSize = 32;

// Shows text modally over the main window; an empty title becomes the
// product name. Returns the flag of the pressed button (1, 2, 4 or 8).
// Raises QlmError when there is no main window or the dialog cannot be
// shown; the caller's handler deals with it.
std::int32_t ShowMessage(const std::wstring& text, std::int32_t buttons = kButtonOK, const std::wstring& title = {});

}  // namespace MQLM
