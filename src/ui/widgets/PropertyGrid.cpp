#include "ui/widgets/PropertyGrid.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "ui/widgets/PopupMenu.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmoorPropertyGrid";

// Global memory handed to the clipboard; freed here only when the
// clipboard did not take it.
class ClipboardText {
 public:
  explicit ClipboardText(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    memory_ = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory_) return;
    if (void* target = GlobalLock(memory_)) {
      std::memcpy(target, text.c_str(), bytes);
      GlobalUnlock(memory_);
    }
  }
  ~ClipboardText() {
    if (memory_) GlobalFree(memory_);
  }
  ClipboardText(const ClipboardText&) = delete;
  ClipboardText& operator=(const ClipboardText&) = delete;
  bool GiveTo(UINT format) {
    if (!memory_ || !SetClipboardData(format, memory_)) return false;
    memory_ = nullptr;
    return true;
  }

 private:
  HGLOBAL memory_ = nullptr;
};

}  // namespace

PropertyGrid::PropertyGrid() : accessible_(*this) {}

PropertyGrid::~PropertyGrid() {
  accessible_.Disconnect();
  DestroyWidget();
}

bool PropertyGrid::Create(HWND parent, int controlId) {
  if (!CreateWidget(kClassName, parent, controlId, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_CLIPCHILDREN)) {
    return false;
  }
  OnDpiChanged();
  return true;
}

void PropertyGrid::SetCategory(const std::wstring& caption) {
  category_ = caption;
  Changed();
  if (Hwnd()) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Hwnd(), OBJID_CLIENT, kHeading + 1);
}

void PropertyGrid::SetExpanded(bool expanded) {
  if (expanded == expanded_) return;
  expanded_ = expanded;
  if (!expanded_ && selected_ > kHeading) selected_ = kHeading;
  HideEditor();
  Changed();
  if (Hwnd()) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Hwnd(), OBJID_CLIENT, kHeading + 1);
}

void PropertyGrid::Clear() {
  HideEditor();
  rows_.clear();
  if (selected_ > kHeading) selected_ = kHeading;
  scrollTop_ = 0;
  Changed();
}

void PropertyGrid::AddRow(const std::wstring& name, const std::wstring& value) {
  rows_.emplace_back(name, value);
  Changed();
}

void PropertyGrid::Changed() {
  if (!Hwnd()) return;
  UpdateScrollBar();
  PlaceEditor();
  InvalidateRect(Hwnd(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_REORDER, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void PropertyGrid::Select(int line) {
  if (line < -1 || line >= VisibleLines()) return;
  if (line == selected_) return;
  HideEditor();
  selected_ = line;
  if (line >= 0) EnsureVisible(line);
  if (!Hwnd()) return;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  if (line >= 0) {
    NotifyWinEvent(EVENT_OBJECT_SELECTION, Hwnd(), OBJID_CLIENT, line + 1);
    if (GetFocus() == Hwnd()) NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, line + 1);
  }
}

void PropertyGrid::SetDividerFraction(double fraction) {
  fraction_ = std::clamp(fraction, 0.05, 0.95);
  PlaceEditor();
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

int PropertyGrid::DividerX() const {
  return static_cast<int>(std::lround(fraction_ * static_cast<double>(ClientRect().right)));
}

RECT PropertyGrid::LineRect(int line) const {
  if (line < 0 || line >= VisibleLines()) return RECT{};
  const int top = line * lineHeight_ - scrollTop_;
  return RECT{0, top, ClientRect().right, top + lineHeight_};
}

int PropertyGrid::LineAt(int y) const {
  if (lineHeight_ <= 0 || y < 0) return -1;
  const int line = (y + scrollTop_) / lineHeight_;
  return line < VisibleLines() ? line : -1;
}

bool PropertyGrid::NearDivider(POINT pt) const {
  const int line = LineAt(pt.y);
  return line > kHeading && std::abs(pt.x - DividerX()) <= Scale(3);
}

bool PropertyGrid::CopySelection() {
  if (selected_ < 0 || !Hwnd()) return false;
  const std::wstring text = selected_ == kHeading ? category_ : RowValue(selected_ - 1);
  if (!OpenClipboard(Hwnd())) return false;
  EmptyClipboard();
  ClipboardText data(text);
  const bool done = data.GiveTo(CF_UNICODETEXT);
  CloseClipboard();
  return done;
}

void PropertyGrid::OnDpiChanged() {
  if (!Hwnd()) return;
  font_ = Widgets::CreateUiFont(Dpi());
  boldFont_ = Widgets::CreateUiFont(Dpi(), 0, true);
  HDC dc = GetDC(Hwnd());
  lineHeight_ = Widgets::LineHeight(dc, font_.get()) + Scale(5);
  ReleaseDC(Hwnd(), dc);
  if (editor_) SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  Changed();
}

void PropertyGrid::UpdateScrollBar() {
  const RECT client = ClientRect();
  const int total = VisibleLines() * lineHeight_;
  scrollTop_ = std::clamp(scrollTop_, 0, std::max(0, total - static_cast<int>(client.bottom)));
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(0, total - 1);
  info.nPage = static_cast<UINT>(std::max<LONG>(0, client.bottom));
  info.nPos = scrollTop_;
  SetScrollInfo(Hwnd(), SB_VERT, &info, TRUE);
}

void PropertyGrid::ScrollTo(int top) {
  const int old = scrollTop_;
  scrollTop_ = top;
  UpdateScrollBar();
  if (scrollTop_ != old) {
    PlaceEditor();
    InvalidateRect(Hwnd(), nullptr, FALSE);
  }
}

void PropertyGrid::EnsureVisible(int line) {
  if (!Hwnd() || lineHeight_ <= 0) return;
  const int height = ClientRect().bottom;
  const int top = line * lineHeight_;
  if (top < scrollTop_) {
    ScrollTo(top);
  } else if (top + lineHeight_ > scrollTop_ + height) {
    ScrollTo(top + lineHeight_ - height);
  }
}

void PropertyGrid::ScrollByBar(WORD code) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(Hwnd(), SB_VERT, &info);
  int top = scrollTop_;
  switch (code) {
    case SB_LINEUP:
      top -= lineHeight_;
      break;
    case SB_LINEDOWN:
      top += lineHeight_;
      break;
    case SB_PAGEUP:
      top -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      top += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      top = info.nTrackPos;
      break;
    case SB_TOP:
      top = 0;
      break;
    case SB_BOTTOM:
      top = info.nMax;
      break;
    default:
      return;
  }
  ScrollTo(top);
}

// Messages ---------------------------------------------------------------

LRESULT PropertyGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT painted = 0; HandlePaintMessage(message, wParam, painted)) return painted;
  if (const auto answer = MouseMessage(message, wParam, lParam)) return *answer;
  if (const auto answer = KeyboardMessage(message, wParam, lParam)) return *answer;
  switch (message) {
    case WM_SIZE:
      UpdateScrollBar();
      PlaceEditor();
      InvalidateRect(Hwnd(), nullptr, FALSE);
      return 0;
    case WM_VSCROLL:
      ScrollByBar(LOWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == editor_) return EditorColors(reinterpret_cast<HDC>(wParam));
      break;
    case WM_GETOBJECT: {
      bool handled = false;
      const LRESULT result = accessible_.OnGetObject(Hwnd(), wParam, lParam, handled);
      if (handled) return result;
      break;
    }
    case WM_SETTINGCHANGE:
      OnDpiChanged();
      break;
    case WM_DESTROY:
      accessible_.Disconnect();
      break;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

std::optional<LRESULT> PropertyGrid::MouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      PressAt(pt, message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      DragDividerTo(pt);
      return 0;
    case WM_LBUTTONUP:
      if (draggingDivider_) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      draggingDivider_ = false;
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT && SizingCursorWanted()) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return TRUE;
      }
      return std::nullopt;
    case WM_RBUTTONDOWN:
      SelectLineAt(pt);
      return 0;
    case WM_MOUSEWHEEL:
      ScrollTo(scrollTop_ - GET_WHEEL_DELTA_WPARAM(wParam) * 3 * lineHeight_ / WHEEL_DELTA);
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> PropertyGrid::KeyboardMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CONTEXTMENU:
      ShowCopyMenu(lParam);
      return 0;
    case WM_COMMAND:
      if (lParam == 0 && LOWORD(wParam) == kCopyCommand) CopySelection();
      return 0;
    case WM_KEYDOWN:
      if (TakeKey(wParam)) return 0;
      return std::nullopt;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      if (selected_ < 0) selected_ = kHeading;
      InvalidateRect(Hwnd(), nullptr, FALSE);
      NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, selected_ + 1);
      return 0;
    case WM_KILLFOCUS:
      InvalidateRect(Hwnd(), nullptr, FALSE);
      return 0;
    default:
      return std::nullopt;
  }
}

bool PropertyGrid::SizingCursorWanted() const {
  POINT pt{};
  GetCursorPos(&pt);
  ScreenToClient(Hwnd(), &pt);
  return draggingDivider_ || NearDivider(pt);
}

void PropertyGrid::PressAt(POINT pt, bool doubleClick) {
  if (GetFocus() != Hwnd()) SetFocus(Hwnd());
  const int line = LineAt(pt.y);
  if (line > kHeading && NearDivider(pt)) {
    draggingDivider_ = true;
    SetCapture(Hwnd());
    return;
  }
  if (line < 0) return;
  Select(line);
  if (line == kHeading) {
    // The glyph toggles on a click, the whole heading on a double click.
    if (doubleClick || pt.x < Scale(18)) SetExpanded(!expanded_);
    return;
  }
  if (pt.x > DividerX()) ShowEditor(line);
}

void PropertyGrid::DragDividerTo(POINT pt) {
  if (!draggingDivider_) return;
  const int width = ClientRect().right;
  if (width <= 0) return;
  SetDividerFraction(static_cast<double>(pt.x) / width);
  UpdateWindow(Hwnd());
}

void PropertyGrid::SelectLineAt(POINT pt) {
  if (GetFocus() != Hwnd()) SetFocus(Hwnd());
  const int line = LineAt(pt.y);
  if (line >= 0) Select(line);
}

void PropertyGrid::ShowCopyMenu(LPARAM lParam) {
  if (copyCaption_.empty() || selected_ <= kHeading) return;
  PopupMenu menu;
  menu.AddItem(kCopyCommand, copyCaption_);
  const RECT line = LineRect(selected_);
  // From the keyboard the menu opens at the selected row's value.
  menu.ShowForContextMenu(Hwnd(), lParam, POINT{DividerX() + Scale(8), static_cast<LONG>(line.bottom)});
}

bool PropertyGrid::TakeKey(WPARAM key) {
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const int last = VisibleLines() - 1;
  switch (key) {
    case VK_UP:
      Select(std::max(0, selected_ - 1));
      return true;
    case VK_DOWN:
      Select(std::min(last, selected_ + 1));
      return true;
    case VK_HOME:
      Select(0);
      return true;
    case VK_END:
      Select(last);
      return true;
    case VK_PRIOR:
    case VK_NEXT: {
      const int page = std::max(1, static_cast<int>(ClientRect().bottom) / std::max(1, lineHeight_) - 1);
      Select(std::clamp(selected_ + (key == VK_NEXT ? page : -page), 0, last));
      return true;
    }
    case VK_LEFT:
    case VK_SUBTRACT:
      SetExpanded(false);
      return true;
    case VK_RIGHT:
    case VK_ADD:
      SetExpanded(true);
      return true;
    case VK_RETURN:
    case VK_F2:
      if (selected_ == kHeading) {
        SetExpanded(!expanded_);
      } else {
        ShowEditor(selected_);
      }
      return true;
    case 'C':
    case VK_INSERT:
      if (control) {
        CopySelection();
        return true;
      }
      return false;
    default:
      return false;
  }
}
