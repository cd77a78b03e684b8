#pragma once
// The program's ribbon: an application button with its menu, tabs of
// groups of large buttons, and a quick-access toolbar, drawn by us. Groups
// that do not fit the width become drop-downs of their commands. Every
// command, whether clicked, typed (Alt + access letter, or the keyboard
// inside the ribbon) or run by assistive technology, reaches the owner as
// one posted WM_COMMAND with the command's id.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/RibbonLayout.h"
#include "ui/widgets/RibbonModel.h"
#include "ui/widgets/WidgetAccessible.h"
#include "ui/widgets/WidgetWindow.h"

class Ribbon final : public WidgetWindow, private AccessibleSource {
 public:
  // WM_NOTIFY code sent to the parent when the ribbon's height changes
  // (after a DPI change); the parent lays out its client area again.
  static constexpr UINT kNotifyHeightChanged = 0x5242;
  // Bitmaps are the source's: they must stay valid while the ribbon lives.
  using ImageSource = std::function<HBITMAP(int imageId, int sizePx)>;

  Ribbon();
  ~Ribbon() override;

  bool Create(HWND parent, int controlId);
  void SetModel(RibbonModel model);
  void SetImageSource(ImageSource source);
  // Where commands go; the parent when not set.
  void SetCommandTarget(HWND target) { target_ = target; }

  int Height() const { return layout_.metrics.height; }
  // Stretches the ribbon across the top of its parent's client area and
  // returns the rectangle it leaves free below.
  RECT DockToParent();

  // For the owner's message loop: Alt shows the access letters, Alt plus a
  // letter runs its command, Alt alone moves the keyboard into the ribbon.
  // True when the message was used up.
  bool TakeKeyBeforeDispatch(const MSG& msg);
  // Runs the command whose access letter is typed; when several share the
  // letter the keyboard focus moves between them instead. True if matched.
  bool HandleAccessKey(wchar_t letter);
  bool AccessKeysShown() const { return showAccessKeys_; }

  int SelectedTab() const { return selectedTab_; }
  void SelectTab(int index);
  // Client rectangle of the control showing a command (empty if none).
  RECT CommandRect(int commandId) const;
  RECT TabRect(int index) const;
  HWND Tooltip() const { return tooltip_; }
  const RibbonLayout& Layout() const { return layout_; }
  HFONT Font() const { return font_.get(); }
  Microsoft::WRL::ComPtr<IAccessible> Accessible() { return accessible_.Get(Hwnd()); }
  // The text box of a group (RibbonGroup::searchBoxId); null when the
  // selected tab shows none with that id.
  HWND SearchBox(int id) const;
  // Test seam: when set, chooses from a menu the ribbon opens (the
  // application menu, a collapsed group's) in place of the user; returns
  // the chosen command id, 0 for none.
  std::function<int(HMENU menu, POINT screen)> chooseFromMenu;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  static constexpr UINT kShowMenu = WM_APP + 0x52;  // wParam: the slot whose menu opens

  // Messages. The mouse's and the keyboard's (with focus): nothing for one
  // left to the default handling.
  std::optional<LRESULT> MouseMessage(UINT message, LPARAM lParam);
  std::optional<LRESULT> KeyboardMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint(HDC dc) override;
  // The slot under the mouse is drawn hot.
  void TrackHotSlot(POINT pt);
  void ClearHotSlot();
  // Tabs and the application button act on a press, buttons on a release
  // over the slot pressed.
  void PressAt(POINT pt);
  void ReleaseAt(POINT pt);
  // The keys of the keyboard mode: moving, running, leaving, the letters.
  bool TakeKey(WPARAM key);
  // The tooltip's title and text for the slot it asks about.
  LRESULT FillTooltip(NMHDR* header);
  void TakeFocusFrom(HWND previous);
  void LoseFocus();

  // Work
  void Relayout();
  void PlaceSearchBoxes();
  void UpdateTools();
  int HitTest(POINT pt) const;
  void Activate(int slot, bool fromKeyboard);
  void RunCommand(int id, bool fromKeyboard);
  void ShowMenu(int slot);
  void SetHot(int slot);
  void ShowAccessKeys(bool show);
  void EnterKeyboardMode(int slot);
  void LeaveKeyboardMode();
  void MoveFocus(int delta);
  HWND Target() const;
  HBITMAP Image(int imageId, int size) const;
  struct SlotLook {
    bool hot = false, pressed = false, focused = false, open = false;
    UINT prefix = 0;  // DrawText's prefix flag
  };
  std::wstring Shown(const std::wstring& caption) const;
  void PaintSlot(HDC dc, const RibbonSlot& slot, int index, const Widgets::Palette& palette);
  void PaintApplicationButton(HDC dc, const RibbonSlot& slot, const SlotLook& look, const Widgets::Palette& palette);
  void PaintTab(HDC dc, const RibbonSlot& slot, const SlotLook& look, const Widgets::Palette& palette);
  void PaintButton(HDC dc, const RibbonSlot& slot, const SlotLook& look, const Widgets::Palette& palette);
  std::wstring KeyboardShortcut(const std::wstring& caption) const;

  // AccessibleSource
  AccessibleElement AccessibleSelf() override;
  long AccessibleChildCount() override;
  bool AccessibleChild(long childId, AccessibleElement& out) override;
  bool AccessibleDoDefault(long childId) override;
  long AccessibleFocusChild() override;
  int SlotOfChild(long childId) const;
  long ChildOfSlot(int slot) const;

  RibbonModel model_;
  RibbonLayout layout_;
  std::vector<int> accessibleOrder_;  // slot index of each accessible child
  ImageSource images_;
  UniqueFont font_;
  HWND target_ = nullptr;
  HWND tooltip_ = nullptr;
  int toolCount_ = 0;
  std::wstring tipText_;
  int selectedTab_ = 0;
  int hot_ = -1;
  int pressed_ = -1;
  int focus_ = -1;
  bool trackingMouse_ = false;
  int menuSlot_ = -1;  // the slot whose menu is open
  bool showAccessKeys_ = false;
  bool altAlone_ = false;
  // An access letter ran while Alt was held: the Alt release is used up
  // with it, or the window would take it for a press of Alt alone.
  bool altLetterUsed_ = false;
  HWND previousFocus_ = nullptr;
  std::vector<std::pair<int, HWND>> searchBoxes_;  // id -> edit control, ours
  AccessibleHost accessible_;
};
