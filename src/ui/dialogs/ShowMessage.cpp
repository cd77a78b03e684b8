#include "ui/dialogs/ShowMessage.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

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

// Where a message goes: centred over the part of the owner that asked,
// inside that screen's work area. The dialog's own placement depends on
// the system and what had the focus; this one does not.
struct Placement {
  RECT over{};
  bool place = false;
};

Placement PlacementFor(const MessageOwner& owner) {
  Placement placement;
  if (IsIconic(owner.window)) return placement;  // nothing on screen to centre over
  HWND over = owner.centreOver ? owner.centreOver() : nullptr;
  if (!over || !IsWindowVisible(over)) over = owner.window;
  placement.place = GetWindowRect(over, &placement.over) != FALSE;
  return placement;
}

HRESULT CALLBACK PlaceDialog(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) {
  const auto* placement = reinterpret_cast<const Placement*>(data);
  if (notification != TDN_CREATED || !placement || !placement->place) return S_OK;
  RECT box{};
  GetWindowRect(dialog, &box);
  const RECT& over = placement->over;
  const int width = box.right - box.left, height = box.bottom - box.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int x = std::max<int>(work.left, std::min<int>((over.left + over.right - width) / 2, work.right - width));
  const int y = std::max<int>(work.top, std::min<int>((over.top + over.bottom - height) / 2, work.bottom - height));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

// What every message shares: owner, icon, title, text and placement.
TASKDIALOGCONFIG BaseConfig(const MessageOwner& owner, const std::wstring& caption, const std::wstring& text,
                            const Placement& placement) {
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
  config.pfCallback = &PlaceDialog;
  config.lpCallbackData = reinterpret_cast<LONG_PTR>(&placement);
  return config;
}

}  // namespace

std::int32_t ShowTaskDialogMessage(const std::wstring& text, std::int32_t buttons, const std::wstring& title) {
  const MessageOwner owner = CurrentMessageOwner();
  if (!owner.window || !IsWindow(owner.window))
    throw QlmError(kObjectNotSet, L"MQLM.ShowMessage", L"Object variable or With block variable not set");

  // A new configuration for every message: nothing of an earlier one stays.
  const std::wstring caption = title.empty() ? LoadStr(IDS_PRODUCT_NAME) : title;
  const Placement placement = PlacementFor(owner);
  TASKDIALOGCONFIG config = BaseConfig(owner, caption, text, placement);
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
  const Placement placement = PlacementFor(owner);
  TASKDIALOGCONFIG config = BaseConfig(owner, caption, text, placement);
  config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
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
