// The ribbon's keyboard: access letters with and without Alt, and moving
// the keyboard focus among its controls.
#include "ui/widgets/Ribbon.h"

#include <algorithm>

#include "ui/widgets/CaptionText.h"

bool Ribbon::TakeKeyBeforeDispatch(const MSG& msg) {
  switch (msg.message) {
    case WM_SYSKEYDOWN:
      if (msg.wParam == VK_MENU) {
        if (!(msg.lParam & (1 << 30))) {
          altAlone_ = true;
          altLetterUsed_ = false;
          ShowAccessKeys(true);
        }
        return false;
      }
      altAlone_ = false;
      if (msg.wParam == VK_F4 || msg.wParam == VK_SPACE || GetKeyState(VK_CONTROL) < 0) return false;
      {
        const wchar_t letter = static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(msg.wParam), MAPVK_VK_TO_CHAR));
        if (letter && HandleAccessKey(letter)) {
          altLetterUsed_ = true;
          return true;
        }
      }
      return false;
    case WM_SYSKEYUP:
      if (msg.wParam == VK_MENU) {
        const bool alone = altAlone_;
        altAlone_ = false;
        if (alone && GetFocus() != Hwnd()) {
          // Alt pressed and released alone: the keyboard moves into the
          // ribbon, the way it enters a menu bar.
          EnterKeyboardMode(0);
          return true;
        }
        if (alone) {
          LeaveKeyboardMode();
          return true;
        }
        if (GetFocus() != Hwnd()) ShowAccessKeys(false);
        if (altLetterUsed_) {
          altLetterUsed_ = false;
          return true;
        }
      }
      return false;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      altAlone_ = false;
      return false;
    default:
      return false;
  }
}

bool Ribbon::HandleAccessKey(wchar_t letter) {
  // A collapsed group's commands keep their letters: they run without
  // opening its drop-down, so the keys do not depend on the width.
  struct Match {
    int slot;
    const RibbonCommand* collapsed;  // the command inside a collapsed group, or none
    std::wstring caption;
  };
  std::vector<Match> matches;
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) {
    const RibbonSlot& slot = layout_.slots[static_cast<std::size_t>(i)];
    if (CaptionText::MatchesAccessKey(SlotCaption(slot), letter)) matches.push_back({i, nullptr, SlotCaption(slot)});
    if (slot.part != RibbonPart::GroupMenu || !slot.group) continue;
    for (const RibbonCommand& command : slot.group->buttons)
      if (CaptionText::MatchesAccessKey(command.caption, letter)) matches.push_back({i, &command, command.caption});
  }
  if (matches.empty()) return false;
  // Controls that run the same command (one id, or one caption for one
  // action in two places) count once: the first of them runs.
  const bool distinct = std::any_of(matches.begin(), matches.end(),
                                    [&](const Match& m) { return m.caption != matches.front().caption; });
  if (!distinct) {
    ShowAccessKeys(false);
    if (matches.front().collapsed)
      RunCommand(matches.front().collapsed->id, GetFocus() == Hwnd());
    else
      Activate(matches.front().slot, GetFocus() == Hwnd());
    return true;
  }
  // Several different commands share the letter: each press moves the
  // keyboard focus to the next of them; Enter runs it.
  int next = matches.front().slot;
  for (const Match& match : matches) {
    if (match.slot > focus_) {
      next = match.slot;
      break;
    }
  }
  if (GetFocus() == Hwnd()) {
    focus_ = next;
    InvalidateRect(Hwnd(), nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
  } else {
    EnterKeyboardMode(next);
  }
  return true;
}

void Ribbon::ShowAccessKeys(bool show) {
  if (show == showAccessKeys_) return;
  showAccessKeys_ = show;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Ribbon::EnterKeyboardMode(int slot) {
  if (layout_.slots.empty()) return;
  focus_ = std::clamp(slot, 0, static_cast<int>(layout_.slots.size()) - 1);
  showAccessKeys_ = true;
  if (GetFocus() != Hwnd()) {
    SetFocus(Hwnd());
  } else {
    NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
  }
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Ribbon::LeaveKeyboardMode() {
  ShowAccessKeys(false);
  if (GetFocus() == Hwnd()) {
    const HWND back = previousFocus_ && IsWindow(previousFocus_) ? previousFocus_ : GetParent(Hwnd());
    SetFocus(back);
  }
}

void Ribbon::MoveFocus(int delta) {
  const int count = static_cast<int>(layout_.slots.size());
  if (count == 0) return;
  focus_ = focus_ < 0 ? 0 : (focus_ + delta + count) % count;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
}

bool Ribbon::TakeKey(WPARAM key) {
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      MoveFocus(-1);
      return true;
    case VK_RIGHT:
    case VK_DOWN:
      MoveFocus(1);
      return true;
    case VK_TAB:
      MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
      return true;
    case VK_HOME:
      MoveFocus(-std::max(focus_, 0));
      return true;
    case VK_RETURN:
    case VK_SPACE:
      Activate(focus_, true);
      return true;
    case VK_ESCAPE:
      LeaveKeyboardMode();
      return true;
    default: {
      // In the ribbon the access letters work without Alt, as in a menu.
      const wchar_t letter = static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_CHAR));
      return letter && GetKeyState(VK_CONTROL) >= 0 && HandleAccessKey(letter);
    }
  }
}

void Ribbon::TakeFocusFrom(HWND previous) {
  if (previous && previous != Hwnd() && !IsChild(Hwnd(), previous)) previousFocus_ = previous;
  if (focus_ < 0 && !layout_.slots.empty()) focus_ = 0;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  if (focus_ >= 0) NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
}

void Ribbon::LoseFocus() {
  showAccessKeys_ = false;
  InvalidateRect(Hwnd(), nullptr, FALSE);
}
