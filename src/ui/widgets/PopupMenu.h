#pragma once
// A shortcut menu over a real system popup menu: items with captions (with
// access keys), optional images (32-bit premultiplied bitmaps, drawn by us
// with their alpha, as not every menu renderer blends them) and separators. The chosen command reaches the owner as
// WM_COMMAND with the item's id, the same path as every other command.
#include <windows.h>

#include <string>

#include "ui/widgets/GdiHandles.h"

class PopupMenu {
 public:
  PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // The image is the caller's and must outlive the menu's showing.
  void AddItem(int commandId, const std::wstring& caption, HBITMAP image = nullptr);
  void AddSeparator();
  void Clear();

  HMENU Handle() const { return menu_.get(); }
  int Count() const;

  // Shows the menu with its top-left corner (or the corner given by align)
  // at a screen point, avoiding exclude when given. Returns the chosen id
  // (0 when dismissed) after posting it to owner as WM_COMMAND.
  int ShowAt(HWND owner, POINT screen, UINT align = TPM_LEFTALIGN | TPM_TOPALIGN, const RECT* exclude = nullptr);
  // At the mouse pointer, as for a right click.
  int ShowAtCursor(HWND owner);
  // Where a context menu belongs: at the pointer for a mouse request, at
  // the given client point of owner for the keyboard (lParam of -1 in
  // WM_CONTEXTMENU).
  int ShowForContextMenu(HWND owner, LPARAM contextMenuLParam, POINT keyboardClientPoint);

 private:
  static LRESULT CALLBACK HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  UniqueMenu menu_;
};
