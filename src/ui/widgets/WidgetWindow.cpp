#include "ui/widgets/WidgetWindow.h"

#include <algorithm>

#include "core/ErrorReport.h"

namespace {

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

bool RegisterOnce(const wchar_t* className, WNDPROC proc) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ThisModule(), className, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = ThisModule();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FaceInstalled(const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

WidgetWindow::~WidgetWindow() {
  // Derived classes have destroyed their window already; this only guards
  // against one that did not, without calling into the dead derived part.
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
  }
}

UINT WidgetWindow::Dpi() const {
  if (dpiOverride_) return dpiOverride_;
  const UINT dpi = hwnd_ ? GetDpiForWindow(hwnd_) : 0;
  return dpi ? dpi : 96;
}

void WidgetWindow::SetDpiOverride(UINT dpi) {
  dpiOverride_ = dpi;
  OnDpiChanged();
}

int WidgetWindow::Scale(int px96) const { return MulDiv(px96, static_cast<int>(Dpi()), 96); }

bool WidgetWindow::CreateWidget(const wchar_t* className, HWND parent, int controlId, DWORD style, DWORD exStyle) {
  if (hwnd_ || !RegisterOnce(className, &WidgetWindow::WindowProc)) return false;
  className_ = className;
  CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), ThisModule(), this);
  return hwnd_ != nullptr;
}

void WidgetWindow::DestroyWidget() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT WidgetWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

RECT WidgetWindow::ClientRect() const {
  RECT rc{};
  if (hwnd_) GetClientRect(hwnd_, &rc);
  return rc;
}

bool WidgetWindow::HandlePaintMessage(UINT message, WPARAM wParam, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      PaintBuffer buffer(Hwnd());
      OnPaint(buffer.Dc());
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT:
      OnPaint(reinterpret_cast<HDC>(wParam));
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK WidgetWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<WidgetWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<WidgetWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  // The control's one catch: no exception unwinds through the system's
  // message dispatch. A failure is logged (under the procedure that failed,
  // else "<window class>.WindowProc") and the message gets its default
  // handling instead.
  LRESULT result = 0;
  const bool handled = CatchAtEdge(self->className_, L"WindowProc", kLevelError, [&] {
    if (message == WM_DPICHANGED_AFTERPARENT && !self->dpiOverride_) {
      self->OnDpiChanged();
    }
    result = self->HandleMessage(message, wParam, lParam);
  });
  if (!handled) result = DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

PaintBuffer::PaintBuffer(HWND hwnd) : hwnd_(hwnd) {
  BeginPaint(hwnd, &paint_);
  GetClientRect(hwnd, &client_);
  const int width = std::max<LONG>(1, client_.right);
  const int height = std::max<LONG>(1, client_.bottom);
  memory_.reset(CreateCompatibleDC(paint_.hdc));
  bitmap_.reset(CreateCompatibleBitmap(paint_.hdc, width, height));
  if (memory_ && bitmap_) {
    oldBitmap_ = SelectObject(memory_.get(), bitmap_.get());
  } else {
    memory_.reset();  // paint straight to the window rather than not at all
  }
}

PaintBuffer::~PaintBuffer() {
  if (memory_) {
    BitBlt(paint_.hdc, 0, 0, client_.right, client_.bottom, memory_.get(), 0, 0, SRCCOPY);
    SelectObject(memory_.get(), oldBitmap_);
  }
  EndPaint(hwnd_, &paint_);
}

namespace Widgets {

UniqueFont CreateUiFont(UINT dpi, int pointSize, bool bold) {
  static const bool segoe = FaceInstalled(L"Segoe UI");
  LOGFONTW lf{};
  if (segoe) {
    lstrcpynW(lf.lfFaceName, L"Segoe UI", LF_FACESIZE);
    lf.lfHeight = -MulDiv(pointSize ? pointSize : 9, static_cast<int>(dpi), 72);
  } else {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    lf = metrics.lfMessageFont;
    const int systemDpi = static_cast<int>(GetDpiForSystem() ? GetDpiForSystem() : 96);
    lf.lfHeight = pointSize ? -MulDiv(pointSize, static_cast<int>(dpi), 72)
                            : MulDiv(lf.lfHeight, static_cast<int>(dpi), systemDpi);
  }
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfQuality = CLEARTYPE_QUALITY;
  return UniqueFont(CreateFontIndirectW(&lf));
}

UniqueFont CreateNamedFont(const wchar_t* face, int pointSize, bool bold, UINT dpi) {
  LOGFONTW lf{};
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  lf.lfHeight = -MulDiv(pointSize, static_cast<int>(dpi), 72);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  return UniqueFont(CreateFontIndirectW(&lf));
}

int LineHeight(HDC dc, HFONT font) {
  SelectGuard select(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
  if (text.empty()) return 0;
  SelectGuard select(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

bool HighContrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof(hc);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

Palette CurrentPalette() {
  Palette p{};
  if (HighContrast()) {
    const COLORREF back = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE), faceText = GetSysColor(COLOR_BTNTEXT);
    const COLORREF high = GetSysColor(COLOR_HIGHLIGHT), highText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    p = {back, text, GetSysColor(COLOR_GRAYTEXT), face, face, faceText, faceText, high, high, highText, faceText,
         face, high, highText, high, highText, highText, face, face, faceText, faceText, face, faceText, high,
         highText, high, face, faceText, faceText};
    return p;
  }
  p.window = RGB(0xFF, 0xFF, 0xFF);
  p.windowText = RGB(0x1E, 0x1E, 0x1E);
  p.grayText = RGB(0x6D, 0x6D, 0x6D);
  p.ribbonBack = RGB(0xF5, 0xF6, 0xF7);
  p.headerBack = RGB(0xFF, 0xFF, 0xFF);
  p.border = RGB(0xD6, 0xDA, 0xDF);
  p.groupText = RGB(0x5A, 0x5F, 0x66);
  p.appButton = RGB(0x1F, 0x5F, 0xA8);
  p.appButtonHot = RGB(0x2A, 0x72, 0xC4);
  p.appButtonText = RGB(0xFF, 0xFF, 0xFF);
  p.tabText = RGB(0x26, 0x2B, 0x33);
  p.tabHot = RGB(0xE8, 0xEF, 0xF8);
  p.hotFill = RGB(0xDC, 0xEB, 0xFC);
  p.hotBorder = RGB(0xA8, 0xCB, 0xF1);
  p.pressedFill = RGB(0xBF, 0xDB, 0xF7);
  p.pressedBorder = RGB(0x6F, 0xA6, 0xE3);
  p.focusBorder = RGB(0x1F, 0x5F, 0xA8);
  p.paneBack = RGB(0xE9, 0xEC, 0xF0);
  p.titleBack = RGB(0xF3, 0xF5, 0xF8);
  p.titleText = RGB(0x26, 0x2B, 0x33);
  p.paneBorder = RGB(0xC8, 0xCE, 0xD6);
  p.categoryBack = RGB(0xEC, 0xEF, 0xF3);
  p.gridLine = RGB(0xE3, 0xE6, 0xEA);
  p.selectionBack = RGB(0x1F, 0x5F, 0xA8);
  p.selectionText = RGB(0xFF, 0xFF, 0xFF);
  p.selectionInactiveBack = RGB(0xD9, 0xDE, 0xE5);
  p.captionBack = RGB(0x4A, 0x5B, 0x70);
  p.captionText = RGB(0xFF, 0xFF, 0xFF);
  p.captionLine = RGB(0x3A, 0x48, 0x59);
  return p;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  const COLORREF old = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color) {
  HorizontalLine(dc, rect.left, rect.right, rect.top, color);
  HorizontalLine(dc, rect.left, rect.right, rect.bottom - 1, color);
  VerticalLine(dc, rect.left, rect.top, rect.bottom, color);
  VerticalLine(dc, rect.right - 1, rect.top, rect.bottom, color);
}

void HorizontalLine(HDC dc, int x1, int x2, int y, COLORREF color) {
  const RECT r{x1, y, x2, y + 1};
  FillSolid(dc, r, color);
}

void VerticalLine(HDC dc, int x, int y1, int y2, COLORREF color) {
  const RECT r{x, y1, x + 1, y2};
  FillSolid(dc, r, color);
}

void DrawImage(HDC dc, HBITMAP image, int x, int y, int size) {
  if (!image) return;
  BITMAP bm{};
  if (!GetObjectW(image, sizeof(bm), &bm)) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  SelectGuard select(source.get(), image);
  if (bm.bmBitsPixel == 32) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, size, size, source.get(), 0, 0, bm.bmWidth, std::abs(bm.bmHeight), blend);
  } else {
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, x, y, size, size, source.get(), 0, 0, bm.bmWidth, std::abs(bm.bmHeight), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  }
}

void DrawExpandGlyph(HDC dc, const RECT& box, bool expanded, COLORREF color) {
  const int cx = (box.left + box.right) / 2;
  const int cy = (box.top + box.bottom) / 2;
  const int half = std::max<int>(2, std::min(box.right - box.left, box.bottom - box.top) / 4);
  POINT points[3];
  if (expanded) {
    points[0] = {cx - half, cy - half / 2};
    points[1] = {cx + half, cy - half / 2};
    points[2] = {cx, cy + half / 2 + 1};
  } else {
    points[0] = {cx - half / 2, cy - half};
    points[1] = {cx + half / 2 + 1, cy};
    points[2] = {cx - half / 2, cy + half};
  }
  SelectGuard pen(dc, GetStockObject(DC_PEN));
  SelectGuard brush(dc, GetStockObject(DC_BRUSH));
  const COLORREF oldPen = SetDCPenColor(dc, color);
  const COLORREF oldBrush = SetDCBrushColor(dc, color);
  Polygon(dc, points, 3);
  SetDCPenColor(dc, oldPen);
  SetDCBrushColor(dc, oldBrush);
}

RECT ClientToScreenRect(HWND hwnd, const RECT& rect) {
  RECT r = rect;
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace Widgets
