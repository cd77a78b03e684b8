#include "ui/widgets/PopupMenu.h"

#include <cstdlib>

#include "ui/widgets/WidgetWindow.h"

namespace {

constexpr wchar_t kHelperClass[] = L"QuillmoorMenuImages";

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// Owns the menu while it shows, so that it draws the item images.
class MenuHelper {
 public:
  MenuHelper(HWND owner, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(ThisModule(), kHelperClass, &wc)) {
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = proc;
      wc.hInstance = ThisModule();
      wc.lpszClassName = kHelperClass;
      RegisterClassExW(&wc);
    }
    hwnd_ = CreateWindowExW(0, kHelperClass, L"", WS_CHILD, 0, 0, 0, 0, owner, nullptr, ThisModule(), nullptr);
  }
  ~MenuHelper() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  MenuHelper(const MenuHelper&) = delete;
  MenuHelper& operator=(const MenuHelper&) = delete;
  HWND Hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace

PopupMenu::PopupMenu() { Clear(); }

void PopupMenu::Clear() { menu_.reset(CreatePopupMenu()); }

LRESULT CALLBACK PopupMenu::HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    BITMAP bm{};
    if (measure->CtlType == ODT_MENU && GetObjectW(reinterpret_cast<HBITMAP>(measure->itemData), sizeof(bm), &bm)) {
      // A little room on each side keeps small images off the caption.
      const int pad = MulDiv(2, static_cast<int>(GetDpiForWindow(hwnd) ? GetDpiForWindow(hwnd) : 96), 96);
      measure->itemWidth = static_cast<UINT>(bm.bmWidth + 2 * pad);
      measure->itemHeight = static_cast<UINT>(std::abs(bm.bmHeight) + pad);
      return TRUE;
    }
  } else if (message == WM_DRAWITEM) {
    auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    BITMAP bm{};
    const auto image = reinterpret_cast<HBITMAP>(draw->itemData);
    if (draw->CtlType == ODT_MENU && GetObjectW(image, sizeof(bm), &bm)) {
      const RECT& r = draw->rcItem;
      const int size = bm.bmWidth;
      Widgets::DrawImage(draw->hDC, image, r.left + (r.right - r.left - size) / 2,
                         r.top + (r.bottom - r.top - size) / 2, size);
      return TRUE;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
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
    // Drawn by the helper window with the image's alpha channel.
    item.fMask |= MIIM_BITMAP | MIIM_DATA;
    item.hbmpItem = HBMMENU_CALLBACK;
    item.dwItemData = reinterpret_cast<ULONG_PTR>(image);
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
  MenuHelper helper(owner, &PopupMenu::HelperProc);
  const HWND menuOwner = helper.Hwnd() ? helper.Hwnd() : owner;
  const int chosen = static_cast<int>(
      TrackPopupMenuEx(menu_.get(), flags, screen.x, screen.y, menuOwner, exclude ? &params : nullptr));
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
