#include "ui/widgets/CaptionBar.h"

namespace {
constexpr wchar_t kClassName[] = L"QuillmoorCaptionBar";
}

CaptionBar::CaptionBar() : accessible_(*this) {}

CaptionBar::~CaptionBar() {
  accessible_.Disconnect();
  DestroyWidget();
}

bool CaptionBar::Create(HWND parent, int controlId, const std::wstring& text) {
  if (!CreateWidget(kClassName, parent, controlId, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS)) return false;
  OnDpiChanged();
  SetText(text);
  return true;
}

void CaptionBar::SetText(const std::wstring& text) {
  text_ = text;
  if (!Hwnd()) return;
  SetWindowTextW(Hwnd(), text_.c_str());  // the window's own name for assistive technology
  InvalidateRect(Hwnd(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

void CaptionBar::OnDpiChanged() {
  if (!Hwnd()) return;
  font_ = Widgets::CreateNamedFont(L"Arial", 12, true, Dpi());
  HDC dc = GetDC(Hwnd());
  height_ = Widgets::LineHeight(dc, font_.get()) + Scale(6);
  ReleaseDC(Hwnd(), dc);
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

LRESULT CaptionBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT painted = 0; HandlePaintMessage(message, wParam, painted)) return painted;
  switch (message) {
    case WM_SIZE:
      InvalidateRect(Hwnd(), nullptr, FALSE);
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks belong to the window underneath
    case WM_GETOBJECT: {
      bool handled = false;
      const LRESULT result = accessible_.OnGetObject(Hwnd(), wParam, lParam, handled);
      if (handled) return result;
      break;
    }
    case WM_DESTROY:
      accessible_.Disconnect();
      break;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

void CaptionBar::OnPaint(HDC dc) {
  const Widgets::Palette palette = Widgets::CurrentPalette();
  const RECT client = ClientRect();
  Widgets::FillSolid(dc, client, palette.captionBack);
  Widgets::HorizontalLine(dc, 0, client.right, client.bottom - 1, palette.captionLine);
  SelectGuard font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, palette.captionText);
  RECT text = client;
  text.left += Scale(6);
  text.right -= Scale(4);
  text.bottom -= 1;
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

AccessibleElement CaptionBar::AccessibleSelf() {
  AccessibleElement self;
  self.name = text_;
  self.role = ROLE_SYSTEM_STATICTEXT;
  self.state = STATE_SYSTEM_READONLY;
  return self;
}
