#pragma once
// Three docked panes in one client area: kLeftPane on the left, kMainPane
// on the right, kBottomPane under kMainPane. Each pane has a title bar and
// hosts one child
// window that fills the rest of it; splitters between the panes let the
// user resize them.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/WidgetAccessible.h"
#include "ui/widgets/WidgetWindow.h"

class DockPanes final : public WidgetWindow, private AccessibleSource {
 public:
  // The panes' identifiers; assistive technology numbers the title bars
  // from 1 in the same order.
  static constexpr int kLeftPane = 0;
  static constexpr int kMainPane = 1;
  static constexpr int kBottomPane = 2;
  static constexpr int kPaneCount = 3;
  enum class Splitter { None, Vertical, Horizontal };

  DockPanes();
  ~DockPanes() override;

  bool Create(HWND parent, int controlId);
  // Gives a pane its title and content; the content becomes our child.
  void SetPane(int paneId, const std::wstring& title, HWND content);
  HWND PaneContent(int paneId) const;
  const std::wstring& PaneTitle(int paneId) const;

  // Sizes at 96 DPI that the panes keep while the window allows.
  void SetLeftWidth(int px96);
  void SetBottomHeight(int px96);
  int LeftWidth() const { return leftWidth96_; }
  int BottomHeight() const { return bottomHeight96_; }

  // Current rectangles, in client coordinates.
  RECT PaneRect(int paneId) const;
  RECT TitleRect(int paneId) const;
  RECT ContentRect(int paneId) const;
  RECT SplitterRect(Splitter which) const;

  Microsoft::WRL::ComPtr<IAccessible> Accessible() { return accessible_.Get(Hwnd()); }

  // The height of a pane's title bar, in pixels.
  int TitleHeight() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  static constexpr UINT kFocusPane = WM_APP + 0x44;

  struct Pane {
    std::wstring title;
    HWND content = nullptr;
    RECT rect{};
  };

  void OnPaint(HDC dc) override;
  // The mouse's messages (and Escape during a drag); nothing for one left
  // to the default handling.
  std::optional<LRESULT> MouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // On a splitter: starts dragging it; on a title bar: focus to the pane.
  void PressAt(POINT pt);
  void DragSplitterTo(POINT pt);
  void EndDrag();
  // The sizing pointer over a splitter or during a drag; false elsewhere.
  bool ShowSplitterCursor();

  void Layout();
  Splitter SplitterAt(POINT pt) const;
  // The pane whose rectangle holds pt, or -1.
  int PaneAt(POINT pt) const;
  Pane* Find(int paneId);
  const Pane* Find(int paneId) const;

  AccessibleElement AccessibleSelf() override;
  long AccessibleChildCount() override;
  bool AccessibleChild(long childId, AccessibleElement& out) override;
  bool AccessibleDoDefault(long childId) override;

  std::array<Pane, kPaneCount> panes_;
  int leftWidth96_ = 200;
  int bottomHeight96_ = 100;
  RECT vertical_{};
  RECT horizontal_{};
  Splitter dragging_ = Splitter::None;
  POINT dragStart_{};
  int dragOrigin_ = 0;  // the dragged size in pixels when the drag began
  UniqueFont font_;
  int titleHeight_ = 0;
  AccessibleHost accessible_;
};
