#include "ui/dialogs/ShowMessage.h"

#include <windows.h>
#include <commctrl.h>

#include "ui/dialogs/MessageOwner.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "ui/widgets/ImageStore.h"

namespace dialogs {
namespace {

constexpr std::int32_t kObjectNotSet = errors::kObjectNotSet;

TASKDIALOG_COMMON_BUTTON_FLAGS CommonButtons(std::int32_t buttons) {
  TASKDIALOG_COMMON_BUTTON_FLAGS flags = 0;
  if (buttons & core::kButtonOK) flags |= TDCBF_OK_BUTTON;
  if (buttons & core::kButtonYes) flags |= TDCBF_YES_BUTTON;
  if (buttons & core::kButtonNo) flags |= TDCBF_NO_BUTTON;
  if (buttons & core::kButtonCancel) flags |= TDCBF_CANCEL_BUTTON;
  return flags;
}

std::int32_t ButtonFlag(int pressed) {
  switch (pressed) {
    case IDOK: return core::kButtonOK;
    case IDYES: return core::kButtonYes;
    case IDNO: return core::kButtonNo;
    case IDCANCEL: return core::kButtonCancel;
    default: return 0;
  }
}

}  // namespace

std::int32_t ShowTaskDialogMessage(const std::wstring& text, std::int32_t buttons, const std::wstring& title) {
  const MessageOwner owner = CurrentMessageOwner();
  if (!owner.window || !IsWindow(owner.window))
    throw QlmError(kObjectNotSet, L"MQLM.ShowMessage", L"Object variable or With block variable not set");

  // A new configuration for every message: nothing of an earlier one stays.
  const std::wstring caption = title.empty() ? LoadStr(IDS_PRODUCT_NAME) : title;
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner.window;
  config.hInstance = GetModuleHandleW(nullptr);
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
  if (HICON icon = owner.images ? owner.images->Icon(kMessageIconCommand, kMessageIconSize) : nullptr) {
    config.dwFlags |= TDF_USE_HICON_MAIN;
    config.hMainIcon = icon;
  }
  config.pszWindowTitle = caption.c_str();
  config.pszContent = text.c_str();
  config.dwCommonButtons = CommonButtons(buttons);

  int pressed = 0;
  const HRESULT hr = TaskDialogIndirect(&config, &pressed, nullptr, nullptr);
  if (FAILED(hr)) throw QlmError(static_cast<std::int32_t>(hr), L"MQLM.ShowMessage", L"The message could not be shown");
  return ButtonFlag(pressed);
}

core::Choice ShowTaskDialogChoice(const std::wstring& text, const std::wstring& title,
                                  const std::vector<std::wstring>& choices, std::int32_t commonButtons) {
  const MessageOwner owner = CurrentMessageOwner();
  if (!owner.window || !IsWindow(owner.window))
    throw QlmError(kObjectNotSet, L"MQLM.AskChoice", L"Object variable or With block variable not set");
  constexpr int kFirstChoice = 100;
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (std::size_t i = 0; i < choices.size(); ++i)
    buttons.push_back({kFirstChoice + static_cast<int>(i), choices[i].c_str()});
  const std::wstring caption = title.empty() ? LoadStr(IDS_PRODUCT_NAME) : title;
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner.window;
  config.hInstance = GetModuleHandleW(nullptr);
  config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW | TDF_ALLOW_DIALOG_CANCELLATION;
  if (HICON icon = owner.images ? owner.images->Icon(kMessageIconCommand, kMessageIconSize) : nullptr) {
    config.dwFlags |= TDF_USE_HICON_MAIN;
    config.hMainIcon = icon;
  }
  config.pszWindowTitle = caption.c_str();
  config.pszContent = text.c_str();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.pButtons = buttons.data();
  config.dwCommonButtons = CommonButtons(commonButtons);

  int pressed = 0;
  const HRESULT hr = TaskDialogIndirect(&config, &pressed, nullptr, nullptr);
  if (FAILED(hr)) throw QlmError(static_cast<std::int32_t>(hr), L"MQLM.AskChoice", L"The question could not be shown");
  core::Choice answer;
  const int choice = pressed - kFirstChoice;
  if (choice >= 0 && static_cast<std::size_t>(choice) < choices.size())
    answer.index = choice;
  else
    answer.button = pressed == 0 ? core::kButtonCancel : ButtonFlag(pressed);
  return answer;
}

}  // namespace dialogs
