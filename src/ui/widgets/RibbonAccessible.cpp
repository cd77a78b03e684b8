#include "ui/widgets/Ribbon.h"

#include "ui/widgets/CaptionText.h"

std::wstring Ribbon::KeyboardShortcut(const std::wstring& caption) const {
  const wchar_t letter = CaptionText::AccessLetter(caption);
  if (!letter) return {};
  wchar_t alt[32] = {};
  const LONG scan = static_cast<LONG>(MapVirtualKeyW(VK_MENU, MAPVK_VK_TO_VSC)) << 16;
  if (GetKeyNameTextW(scan, alt, 32) <= 0) return {};
  return std::wstring(alt) + L"+" + letter;
}

AccessibleElement Ribbon::AccessibleSelf() {
  AccessibleElement self;
  wchar_t text[256] = {};
  GetWindowTextW(Hwnd(), text, 256);
  self.name = text;
  self.role = ROLE_SYSTEM_TOOLBAR;
  self.state = STATE_SYSTEM_FOCUSABLE;
  return self;
}

long Ribbon::AccessibleChildCount() { return static_cast<long>(accessibleOrder_.size()); }

int Ribbon::SlotOfChild(long childId) const {
  if (childId < 1 || childId > static_cast<long>(accessibleOrder_.size())) return -1;
  return accessibleOrder_[static_cast<std::size_t>(childId - 1)];
}

long Ribbon::ChildOfSlot(int slot) const {
  for (std::size_t i = 0; i < accessibleOrder_.size(); ++i) {
    if (accessibleOrder_[i] == slot) return static_cast<long>(i + 1);
  }
  return CHILDID_SELF;
}

bool Ribbon::AccessibleChild(long childId, AccessibleElement& out) {
  const int index = SlotOfChild(childId);
  if (index < 0) return false;
  const RibbonSlot& slot = layout_.slots[static_cast<std::size_t>(index)];
  const std::wstring caption = SlotCaption(slot);
  out.name = CaptionText::Plain(caption);
  out.shortcut = KeyboardShortcut(caption);
  out.bounds = slot.rect;
  out.state = STATE_SYSTEM_FOCUSABLE;
  if (index == hot_) out.state |= STATE_SYSTEM_HOTTRACKED;
  if (index == focus_ && GetFocus() == Hwnd()) out.state |= STATE_SYSTEM_FOCUSED;
  if (slot.part == RibbonPart::Tab) {
    out.role = ROLE_SYSTEM_PAGETAB;
    out.state |= STATE_SYSTEM_SELECTABLE;
    if (slot.index == selectedTab_) out.state |= STATE_SYSTEM_SELECTED;
    return true;
  }
  out.role = slot.part == RibbonPart::GroupMenu ? ROLE_SYSTEM_BUTTONMENU : ROLE_SYSTEM_PUSHBUTTON;
  if (slot.command) out.description = slot.command->tipDescription;
  if (slot.part == RibbonPart::ApplicationButton || slot.part == RibbonPart::GroupMenu)
    out.state |= STATE_SYSTEM_HASPOPUP;
  if (index == pressed_ || index == menuSlot_) out.state |= STATE_SYSTEM_PRESSED;
  return true;
}

bool Ribbon::AccessibleDoDefault(long childId) {
  const int index = SlotOfChild(childId);
  if (index < 0) return false;
  Activate(index, false);
  return true;
}

long Ribbon::AccessibleFocusChild() { return focus_ >= 0 ? ChildOfSlot(focus_) : CHILDID_SELF; }
