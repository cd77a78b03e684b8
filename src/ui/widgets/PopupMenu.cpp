#include "ui/widgets/PopupMenu.h"

PopupMenu::PopupMenu() { Clear(); }

void PopupMenu::Clear() {
  menu_.reset(CreatePopupMenu());
  if (!menu_) return;
  // Images go in the check column, as no item is ever checked.
  MENUINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = MIM_STYLE;
  info.dwStyle = MNS_CHECKORBMP;
  SetMenuInfo(menu_.get(), &info);
}

void PopupMenu::AddItem(int commandId, const std::wstring& caption, HBITMAP image) {
  if (!menu_) return;
  MENUITEMINFOW item{};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
  item.fType = MFT_STRING;
  item.wID = static_cast<UINT>(commandId);
  std::wstring text = caption;
  item.dwTypeData = text.data();
  if (image) {
    item.fMask |= MIIM_BITMAP;
    item.hbmpItem = image;
  }
  InsertMenuItemW(menu_.get(), static_cast<UINT>(Count()), TRUE, &item);
}

void PopupMenu::AddSeparator() {
  if (!menu_) return;
  MENUITEMINFOW item{};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_FTYPE;
  item.fType = MFT_SEPARATOR;
  InsertMenuItemW(menu_.get(), static_cast<UINT>(Count()), TRUE, &item);
}

int PopupMenu::Count() const { return menu_ ? GetMenuItemCount(menu_.get()) : 0; }

int PopupMenu::ShowAt(HWND owner, POINT screen, UINT align, const RECT* exclude) {
  if (!menu_ || !owner || Count() == 0) return 0;
  TPMPARAMS params{};
  params.cbSize = sizeof(params);
  if (exclude) params.rcExclude = *exclude;
  const UINT flags = align | TPM_RETURNCMD | TPM_RIGHTBUTTON | (exclude ? TPM_VERTICAL : 0);
  const int chosen = static_cast<int>(
      TrackPopupMenuEx(menu_.get(), flags, screen.x, screen.y, owner, exclude ? &params : nullptr));
  if (chosen != 0) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return chosen;
}

int PopupMenu::ShowAtCursor(HWND owner) {
  POINT pt{};
  GetCursorPos(&pt);
  return ShowAt(owner, pt);
}

int PopupMenu::ShowForContextMenu(HWND owner, LPARAM contextMenuLParam, POINT keyboardClientPoint) {
  if (contextMenuLParam == -1) {
    ClientToScreen(owner, &keyboardClientPoint);
    return ShowAt(owner, keyboardClientPoint);
  }
  return ShowAt(owner, POINT{static_cast<short>(LOWORD(contextMenuLParam)),
                             static_cast<short>(HIWORD(contextMenuLParam))});
}
