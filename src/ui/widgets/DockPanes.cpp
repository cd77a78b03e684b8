#include "ui/widgets/DockPanes.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr wchar_t kClassName[] = L"QuillmoorDockPanes";
const std::wstring kNoTitle;

}  // namespace

DockPanes::DockPanes() : accessible_(*this) {}

DockPanes::~DockPanes() {
  accessible_.Disconnect();
  DestroyWidget();
}

bool DockPanes::Create(HWND parent, int controlId) {
  if (!CreateWidget(kClassName, parent, controlId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                    WS_EX_CONTROLPARENT)) {
    return false;
  }
  OnDpiChanged();
  return true;
}

DockPanes::Pane* DockPanes::Find(int paneId) {
  return paneId >= 0 && paneId < kPaneCount ? &panes_[static_cast<std::size_t>(paneId)] : nullptr;
}

const DockPanes::Pane* DockPanes::Find(int paneId) const {
  return paneId >= 0 && paneId < kPaneCount ? &panes_[static_cast<std::size_t>(paneId)] : nullptr;
}

void DockPanes::SetPane(int paneId, const std::wstring& title, HWND content) {
  Pane* pane = Find(paneId);
  if (!pane) return;
  pane->title = title;
  if (content && content != pane->content) {
    // A hosted window is a child of ours, so it moves, hides and dies with us.
    const LONG_PTR style = GetWindowLongPtrW(content, GWL_STYLE);
    SetWindowLongPtrW(content, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    SetParent(content, Hwnd());
  }
  pane->content = content;
  Layout();
  if (content) ShowWindow(content, SW_SHOWNA);
}

HWND DockPanes::PaneContent(int paneId) const {
  const Pane* pane = Find(paneId);
  return pane ? pane->content : nullptr;
}

const std::wstring& DockPanes::PaneTitle(int paneId) const {
  const Pane* pane = Find(paneId);
  return pane ? pane->title : kNoTitle;
}

void DockPanes::SetLeftWidth(int px96) {
  leftWidth96_ = std::max(0, px96);
  Layout();
}

void DockPanes::SetBottomHeight(int px96) {
  bottomHeight96_ = std::max(0, px96);
  Layout();
}

RECT DockPanes::PaneRect(int paneId) const {
  const Pane* pane = Find(paneId);
  return pane ? pane->rect : RECT{};
}

RECT DockPanes::TitleRect(int paneId) const {
  RECT r = PaneRect(paneId);
  r.bottom = std::min<LONG>(r.bottom, r.top + TitleHeight());
  return r;
}

RECT DockPanes::ContentRect(int paneId) const {
  // Inside the pane's one-pixel border, below the title bar.
  RECT r = PaneRect(paneId);
  r.top = std::min<LONG>(r.bottom, r.top + TitleHeight());
  if (r.right - r.left > 2) {
    r.left += 1;
    r.right -= 1;
  }
  if (r.bottom - r.top > 1) r.bottom -= 1;
  return r;
}

RECT DockPanes::SplitterRect(Splitter which) const {
  switch (which) {
    case Splitter::Vertical:
      return vertical_;
    case Splitter::Horizontal:
      return horizontal_;
    case Splitter::None:
      break;
  }
  return RECT{};
}

int DockPanes::TitleHeight() const { return titleHeight_; }

void DockPanes::OnDpiChanged() {
  if (!Hwnd()) return;
  font_ = Widgets::CreateUiFont(Dpi(), 0, true);
  HDC dc = GetDC(Hwnd());
  titleHeight_ = Widgets::LineHeight(dc, font_.get()) + Scale(9);
  ReleaseDC(Hwnd(), dc);
  Layout();
}

void DockPanes::Layout() {
  if (!Hwnd()) return;
  const RECT client = ClientRect();
  const int width = client.right, height = client.bottom;
  const int gap = Scale(5);
  const int minSide = Scale(60);
  const int minMain = Scale(80);
  const int minBottom = std::min(TitleHeight() + Scale(20), Scale(200));

  // The wanted sizes hold while the window is large enough; a smaller
  // window shrinks them, and growing it again gives them back.
  int left = std::clamp(Scale(leftWidth96_), std::min(minSide, width), std::max(0, width - gap - minMain));
  left = std::max(0, std::min(left, width));
  const int rightX = std::min(width, left + gap);
  int bottom = std::clamp(Scale(bottomHeight96_), std::min(minBottom, height), std::max(0, height - gap - minMain));
  bottom = std::max(0, std::min(bottom, height));
  const int mainBottom = std::max(0, height - bottom - gap);

  panes_[kLeftPane].rect = {0, 0, left, height};
  vertical_ = {left, 0, rightX, height};
  panes_[kMainPane].rect = {rightX, 0, width, mainBottom};
  horizontal_ = {rightX, mainBottom, width, std::min(height, mainBottom + gap)};
  panes_[kBottomPane].rect = {rightX, horizontal_.bottom, width, height};

  HDWP batch = BeginDeferWindowPos(3);
  for (int id = 0; id < kPaneCount; ++id) {
    const Pane& pane = panes_[static_cast<std::size_t>(id)];
    if (!pane.content || !batch) continue;
    const RECT r = ContentRect(id);
    batch = DeferWindowPos(batch, pane.content, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch) EndDeferWindowPos(batch);
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

LRESULT DockPanes::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT painted = 0; HandlePaintMessage(message, wParam, painted)) return painted;
  if (const auto answer = MouseMessage(message, wParam, lParam)) return *answer;
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      // The panes themselves take no input: focus goes to a pane's content.
      for (const Pane& pane : panes_) {
        if (pane.content && IsWindowVisible(pane.content)) {
          SetFocus(pane.content);
          break;
        }
      }
      return 0;
    case kFocusPane:
      if (const HWND content = PaneContent(static_cast<int>(wParam))) SetFocus(content);
      return 0;
    case WM_GETOBJECT: {
      bool handled = false;
      const LRESULT result = accessible_.OnGetObject(Hwnd(), wParam, lParam, handled);
      if (handled) return result;
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
      // Hosted windows report to the window that owns the panes.
      return SendMessageW(GetParent(Hwnd()), message, wParam, lParam);
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

std::optional<LRESULT> DockPanes::MouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT && ShowSplitterCursor()) return TRUE;
      return std::nullopt;
    case WM_LBUTTONDOWN:
      PressAt(pt);
      return 0;
    case WM_MOUSEMOVE:
      DragSplitterTo(pt);
      return 0;
    case WM_LBUTTONUP:
      EndDrag();
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = Splitter::None;
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && dragging_ != Splitter::None) {
        // Escape ends a drag where it is; the sizes already follow the mouse.
        ReleaseCapture();
        return 0;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

DockPanes::Splitter DockPanes::SplitterAt(POINT pt) const {
  if (PtInRect(&vertical_, pt)) return Splitter::Vertical;
  if (PtInRect(&horizontal_, pt)) return Splitter::Horizontal;
  return Splitter::None;
}

int DockPanes::PaneAt(POINT pt) const {
  for (int id = 0; id < kPaneCount; ++id) {
    if (PtInRect(&panes_[static_cast<std::size_t>(id)].rect, pt)) return id;
  }
  return -1;
}

bool DockPanes::ShowSplitterCursor() {
  POINT pt{};
  GetCursorPos(&pt);
  ScreenToClient(Hwnd(), &pt);
  const Splitter which = dragging_ != Splitter::None ? dragging_ : SplitterAt(pt);
  if (which == Splitter::None) return false;
  SetCursor(LoadCursorW(nullptr, which == Splitter::Vertical ? IDC_SIZEWE : IDC_SIZENS));
  return true;
}

void DockPanes::PressAt(POINT pt) {
  const Splitter which = SplitterAt(pt);
  if (which == Splitter::None) {
    // A click on a title bar puts the keyboard in that pane.
    const int id = PaneAt(pt);
    if (id >= 0 && PaneContent(id)) SetFocus(PaneContent(id));
    return;
  }
  dragging_ = which;
  dragStart_ = pt;
  dragOrigin_ = which == Splitter::Vertical ? panes_[kLeftPane].rect.right - panes_[kLeftPane].rect.left
                                            : panes_[kBottomPane].rect.bottom - panes_[kBottomPane].rect.top;
  SetCapture(Hwnd());
  SetCursor(LoadCursorW(nullptr, which == Splitter::Vertical ? IDC_SIZEWE : IDC_SIZENS));
}

void DockPanes::DragSplitterTo(POINT pt) {
  if (dragging_ == Splitter::None) return;
  const int dpi = static_cast<int>(Dpi());
  if (dragging_ == Splitter::Vertical) {
    leftWidth96_ = std::max(0, MulDiv(dragOrigin_ + (pt.x - dragStart_.x), 96, dpi));
  } else {
    bottomHeight96_ = std::max(0, MulDiv(dragOrigin_ - (pt.y - dragStart_.y), 96, dpi));
  }
  Layout();
  // Keep the wanted size at what the user sees, so the pane does not jump
  // when the limits stop it.
  if (dragging_ == Splitter::Vertical) {
    leftWidth96_ = MulDiv(panes_[kLeftPane].rect.right - panes_[kLeftPane].rect.left, 96, dpi);
  } else {
    bottomHeight96_ = MulDiv(panes_[kBottomPane].rect.bottom - panes_[kBottomPane].rect.top, 96, dpi);
  }
  UpdateWindow(Hwnd());
}

void DockPanes::EndDrag() {
  if (dragging_ != Splitter::None && GetCapture() == Hwnd()) ReleaseCapture();
  dragging_ = Splitter::None;
}

void DockPanes::OnPaint(HDC dc) {
  const Widgets::Palette palette = Widgets::CurrentPalette();
  Widgets::FillSolid(dc, ClientRect(), palette.paneBack);
  SelectGuard font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  for (int id = 0; id < kPaneCount; ++id) {
    const Pane& pane = panes_[static_cast<std::size_t>(id)];
    const RECT r = pane.rect;
    if (r.right <= r.left || r.bottom <= r.top) continue;
    Widgets::FillSolid(dc, r, palette.window);
    RECT title = TitleRect(id);
    Widgets::FillSolid(dc, title, palette.titleBack);
    Widgets::HorizontalLine(dc, r.left, r.right, title.bottom - 1, palette.paneBorder);
    Widgets::FrameSolid(dc, r, palette.paneBorder);
    RECT text = title;
    text.left += Scale(8);
    text.right -= Scale(4);
    SetTextColor(dc, palette.titleText);
    DrawTextW(dc, pane.title.c_str(), static_cast<int>(pane.title.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

AccessibleElement DockPanes::AccessibleSelf() {
  AccessibleElement self;
  self.role = ROLE_SYSTEM_PANE;
  return self;
}

long DockPanes::AccessibleChildCount() { return kPaneCount; }

bool DockPanes::AccessibleChild(long childId, AccessibleElement& out) {
  const int paneId = static_cast<int>(childId) - 1;
  const Pane* pane = Find(paneId);
  if (!pane) return false;
  out.name = pane->title;
  out.role = ROLE_SYSTEM_TITLEBAR;
  out.bounds = TitleRect(paneId);
  out.state = (out.bounds.right > out.bounds.left && out.bounds.bottom > out.bounds.top) ? 0 : STATE_SYSTEM_INVISIBLE;
  return true;
}

bool DockPanes::AccessibleDoDefault(long childId) {
  // The title bar's action: move the keyboard into its pane.
  const int paneId = static_cast<int>(childId) - 1;
  if (!PaneContent(paneId)) return false;
  PostMessageW(Hwnd(), kFocusPane, static_cast<WPARAM>(paneId), 0);
  return true;
}
