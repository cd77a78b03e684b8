#pragma once
// A strip across the top of a window with one fixed line of text, in
// Arial 12 point bold, as tall as the font needs.
#include <windows.h>

#include <string>

#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/WidgetAccessible.h"
#include "ui/widgets/WidgetWindow.h"

class CaptionBar final : public WidgetWindow, private AccessibleSource {
 public:
  CaptionBar();
  ~CaptionBar() override;

  bool Create(HWND parent, int controlId, const std::wstring& text);
  void SetText(const std::wstring& text);
  const std::wstring& Text() const { return text_; }
  // The height that fits the font at the control's DPI.
  int PreferredHeight() const { return height_; }
  HFONT Font() const { return font_.get(); }

  Microsoft::WRL::ComPtr<IAccessible> Accessible() { return accessible_.Get(Hwnd()); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  void OnPaint(HDC dc) override;

  AccessibleElement AccessibleSelf() override;
  long AccessibleChildCount() override { return 0; }
  bool AccessibleChild(long, AccessibleElement&) override { return false; }
  bool AccessibleDoDefault(long) override { return false; }

  std::wstring text_;
  UniqueFont font_;
  int height_ = 0;
  AccessibleHost accessible_;
};
