#pragma once
// The common frame of our self-drawn controls: one C++ object per window,
// attached in WM_NCCREATE, one HandleMessage per class; DPI scaling, fonts,
// colours and flicker-free painting shared by every control.
#include <windows.h>

#include <string>

#include "ui/widgets/GdiHandles.h"

class WidgetWindow {
 public:
  WidgetWindow() = default;
  virtual ~WidgetWindow();
  WidgetWindow(const WidgetWindow&) = delete;
  WidgetWindow& operator=(const WidgetWindow&) = delete;

  HWND Hwnd() const { return hwnd_; }

  // The DPI the control lays itself out for: the window's own, unless a
  // host that scales by itself (or a test) fixes one.
  UINT Dpi() const;
  void SetDpiOverride(UINT dpi);
  // A length in pixels at 96 DPI, scaled to the control's DPI.
  int Scale(int px96) const;

 protected:
  // Registers the class once per process and creates the window, attached
  // to this object. False when either step fails.
  bool CreateWidget(const wchar_t* className, HWND parent, int controlId, DWORD style, DWORD exStyle = 0);
  // Derived destructors call this first, while the whole object still
  // answers the messages that destruction sends.
  void DestroyWidget();

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // Called when the DPI the control works with has changed.
  virtual void OnDpiChanged() {}
  // Draws the whole client area; called for WM_PAINT (into an off-screen
  // buffer) and WM_PRINTCLIENT.
  virtual void OnPaint(HDC) {}
  // The painting messages every control handles alike: WM_PAINT,
  // WM_PRINTCLIENT, and WM_ERASEBKGND (skipped: painting covers it). True
  // when message was one of them; result is then its answer.
  bool HandlePaintMessage(UINT message, WPARAM wParam, LRESULT& result);

  RECT ClientRect() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  HWND hwnd_ = nullptr;
  UINT dpiOverride_ = 0;
  const wchar_t* className_ = L"Widget";
};

// Paints into an off-screen bitmap and copies it to the window in one go.
class PaintBuffer {
 public:
  explicit PaintBuffer(HWND hwnd);
  ~PaintBuffer();
  PaintBuffer(const PaintBuffer&) = delete;
  PaintBuffer& operator=(const PaintBuffer&) = delete;
  HDC Dc() const { return memory_ ? memory_.get() : paint_.hdc; }
  const RECT& Client() const { return client_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  RECT client_{};
  UniqueMemoryDc memory_;
  UniqueBitmap bitmap_;
  HGDIOBJ oldBitmap_ = nullptr;
};

namespace Widgets {

// The user interface font: Segoe UI where installed, else the system's
// message font; pointSize 0 keeps the family's usual size.
UniqueFont CreateUiFont(UINT dpi, int pointSize = 0, bool bold = false);
// A named face at a point size, scaled for dpi.
UniqueFont CreateNamedFont(const wchar_t* face, int pointSize, bool bold, UINT dpi);
// Height of a font's line in pixels.
int LineHeight(HDC dc, HFONT font);
int TextWidth(HDC dc, HFONT font, const std::wstring& text);

bool HighContrast();

// The colours of the controls; in high-contrast mode they follow the
// system's colours.
struct Palette {
  COLORREF window, windowText, grayText;
  COLORREF ribbonBack, headerBack, border, groupText;
  COLORREF appButton, appButtonHot, appButtonText;
  COLORREF tabText, tabHot;
  COLORREF hotFill, hotBorder, pressedFill, pressedBorder, focusBorder;
  COLORREF paneBack, titleBack, titleText, paneBorder;
  COLORREF categoryBack, gridLine, selectionBack, selectionText, selectionInactiveBack;
  COLORREF captionBack, captionText, captionLine;
};
Palette CurrentPalette();

void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);
void HorizontalLine(HDC dc, int x1, int x2, int y, COLORREF color);
void VerticalLine(HDC dc, int x, int y1, int y2, COLORREF color);
// Draws a 32-bit premultiplied bitmap (as the image store makes them) at
// size x size, scaling when its own size differs. Other bitmaps are copied.
void DrawImage(HDC dc, HBITMAP image, int x, int y, int size);
// A small filled triangle pointing right (collapsed) or down (expanded).
void DrawExpandGlyph(HDC dc, const RECT& box, bool expanded, COLORREF color);

// Screen rectangle of a client rectangle of hwnd.
RECT ClientToScreenRect(HWND hwnd, const RECT& rect);

}  // namespace Widgets
