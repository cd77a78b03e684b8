#pragma once
// How the program shows a message, whichever layer asks: one call. The
// window layer installs the presenter (a task dialog over the main window)
// while it has a window to own messages; without one, asking raises an
// error that the caller's handler logs.
#include <cstdint>
#include <string>
#include <vector>

namespace core {

// Button flags; a set may combine them. 0 lets the system choose (one OK).
constexpr std::int32_t kButtonOK = 1;
constexpr std::int32_t kButtonYes = 2;
constexpr std::int32_t kButtonNo = 4;
constexpr std::int32_t kButtonCancel = 8;

// Shows text modally; an empty title becomes the product name. Returns the
// flag of the pressed button (1, 2, 4 or 8).
using MessagePresenter = std::int32_t (*)(const std::wstring& text, std::int32_t buttons, const std::wstring& title);
// nullptr: none (messages then fail).
void SetMessagePresenter(MessagePresenter presenter);

// What the user picked from a question with choices: a choice (0-based),
// or else the flag of a common button (Cancel when the question was
// closed).
struct Choice {
  int index = -1;
  std::int32_t button = 0;
};
// Asks the user: text, one button per choice, then the common buttons.
using ChoicePresenter = Choice (*)(const std::wstring& text, const std::wstring& title,
                                   const std::vector<std::wstring>& choices, std::int32_t buttons);
void SetChoicePresenter(ChoicePresenter presenter);
// Raises QlmError when there is no presenter, as ShowMessage does.
Choice AskChoice(const std::wstring& text, const std::wstring& title, const std::vector<std::wstring>& choices,
                 std::int32_t buttons = kButtonCancel);

// Shows text through the presenter. Raises QlmError when there is none or
// the message cannot be shown; the caller's handler deals with it.
std::int32_t ShowMessage(const std::wstring& text, std::int32_t buttons = kButtonOK, const std::wstring& title = {});

}  // namespace core
