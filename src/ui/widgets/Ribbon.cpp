#include "ui/widgets/Ribbon.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/widgets/CaptionText.h"
#include "ui/widgets/PopupMenu.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmoorRibbon";

int PartOrder(RibbonPart part) {
  switch (part) {
    case RibbonPart::ApplicationButton:
      return 0;
    case RibbonPart::QuickAccess:
      return 1;
    case RibbonPart::Tab:
      return 2;
    case RibbonPart::Button:
      break;
  }
  return 3;
}

std::wstring SlotCaption(const RibbonSlot& slot) {
  if (slot.command) return slot.command->caption;
  return slot.tab ? slot.tab->caption : std::wstring();
}

}  // namespace

Ribbon::Ribbon() : accessible_(*this) {}

Ribbon::~Ribbon() {
  accessible_.Disconnect();
  DestroyWidget();
}

bool Ribbon::Create(HWND parent, int controlId) {
  if (!CreateWidget(kClassName, parent, controlId, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP)) {
    return false;
  }
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0,
                             0, 0, Hwnd(), nullptr, nullptr, nullptr);
  OnDpiChanged();
  return true;
}

void Ribbon::SetModel(RibbonModel model) {
  model_ = std::move(model);
  selectedTab_ = model_.tabs.empty() ? -1 : 0;
  hot_ = pressed_ = focus_ = -1;
  Relayout();
}

void Ribbon::SetImageSource(ImageSource source) {
  images_ = std::move(source);
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

RECT Ribbon::DockToParent() {
  RECT client{};
  const HWND parent = GetParent(Hwnd());
  if (parent) GetClientRect(parent, &client);
  SetWindowPos(Hwnd(), nullptr, 0, 0, client.right, Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  client.top = std::min<LONG>(client.bottom, Height());
  return client;
}

void Ribbon::SelectTab(int index) {
  if (index < 0 || index >= static_cast<int>(model_.tabs.size()) || index == selectedTab_) return;
  selectedTab_ = index;
  hot_ = pressed_ = -1;
  Relayout();
  NotifyWinEvent(EVENT_OBJECT_SELECTION, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_ >= 0 ? focus_ : 0));
}

RECT Ribbon::CommandRect(int commandId) const {
  for (const RibbonSlot& slot : layout_.slots) {
    if (slot.command && slot.command->id == commandId) return slot.rect;
  }
  return RECT{};
}

RECT Ribbon::TabRect(int index) const {
  for (const RibbonSlot& slot : layout_.slots) {
    if (slot.part == RibbonPart::Tab && slot.index == index) return slot.rect;
  }
  return RECT{};
}

LRESULT Ribbon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT painted = 0; HandlePaintMessage(message, wParam, painted)) return painted;
  switch (message) {
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CAPTURECHANGED:
      if (pressed_ >= 0) {
        pressed_ = -1;
        InvalidateRect(Hwnd(), nullptr, FALSE);
      }
      return 0;
    case WM_KEYDOWN:
      if (OnKeyDown(wParam)) return 0;
      break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
      MSG msg{Hwnd(), message, wParam, lParam, 0, {}};
      if (PreTranslateMessage(msg)) return 0;
      break;
    }
    case WM_CHAR:
      return 0;  // letters were handled as keys; no beep
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      OnSetFocus(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_KILLFOCUS:
      OnKillFocus();
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_GETOBJECT: {
      bool handled = false;
      const LRESULT result = accessible_.OnGetObject(Hwnd(), wParam, lParam, handled);
      if (handled) return result;
      break;
    }
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      OnDpiChanged();
      break;
    case kShowApplicationMenu:
      ShowApplicationMenu();
      return 0;
    case WM_COMMAND:
      // A text box's notifications go on to the owner as they came.
      if (lParam && GetParent(reinterpret_cast<HWND>(lParam)) == Hwnd()) {
        SendMessageW(Target(), WM_COMMAND, wParam, lParam);
        return 0;
      }
      break;
    case WM_DESTROY:
      accessible_.Disconnect();
      break;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

void Ribbon::OnDpiChanged() {
  if (!Hwnd()) return;
  const int oldHeight = Height();
  font_ = Widgets::CreateUiFont(Dpi());
  if (tooltip_) {
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(180));
    RECT margins{2, 2, 2, 2};
    SendMessageW(tooltip_, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margins));
  }
  Relayout();
  if (oldHeight != 0 && oldHeight != Height()) {
    NMHDR header{Hwnd(), static_cast<UINT_PTR>(GetDlgCtrlID(Hwnd())), kNotifyHeightChanged};
    SendMessageW(GetParent(Hwnd()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }
}

void Ribbon::Relayout() {
  if (!Hwnd() || !font_) return;
  RECT client = ClientRect();
  HDC dc = GetDC(Hwnd());
  layout_ = LayOutRibbon(model_, selectedTab_, client.right, Dpi(), dc, font_.get());
  ReleaseDC(Hwnd(), dc);
  accessibleOrder_.clear();
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) accessibleOrder_.push_back(i);
  std::stable_sort(accessibleOrder_.begin(), accessibleOrder_.end(), [this](int a, int b) {
    return PartOrder(layout_.slots[static_cast<std::size_t>(a)].part) <
           PartOrder(layout_.slots[static_cast<std::size_t>(b)].part);
  });
  if (focus_ >= static_cast<int>(layout_.slots.size())) focus_ = -1;
  PlaceSearchBoxes();
  UpdateTools();
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Ribbon::PlaceSearchBoxes() {
  std::vector<std::pair<int, HWND>> kept;
  for (const RibbonGroupBox& box : layout_.groups) {
    const int id = box.group->searchBoxId;
    if (!id) continue;
    HWND edit = nullptr;
    for (auto& [boxId, window] : searchBoxes_) {
      if (boxId == id && window) {
        edit = window;
        window = nullptr;
      }
    }
    if (!edit) {
      edit = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                             0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                             nullptr);
      if (!edit) continue;
      SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(box.group->searchCue.c_str()));
      SetWindowTextW(edit, L"");
    }
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    const RECT& r = box.searchBoxRect;
    MoveWindow(edit, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    kept.emplace_back(id, edit);
  }
  // Boxes of a tab no longer shown go.
  for (const auto& [id, window] : searchBoxes_)
    if (window) DestroyWindow(window);
  searchBoxes_ = std::move(kept);
}

HWND Ribbon::SearchBox(int id) const {
  for (const auto& [boxId, window] : searchBoxes_)
    if (boxId == id) return window;
  return nullptr;
}

void Ribbon::UpdateTools() {
  if (!tooltip_) return;
  for (int i = 1; i <= toolCount_; ++i) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Hwnd();
    tool.uId = static_cast<UINT_PTR>(i);
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  toolCount_ = static_cast<int>(layout_.slots.size());
  for (int i = 0; i < toolCount_; ++i) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Hwnd();
    tool.uId = static_cast<UINT_PTR>(i + 1);
    tool.rect = layout_.slots[static_cast<std::size_t>(i)].rect;
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

LRESULT Ribbon::OnNotify(NMHDR* header) {
  if (!header || header->hwndFrom != tooltip_ || header->code != TTN_GETDISPINFOW) return 0;
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  const int index = static_cast<int>(header->idFrom) - 1;
  if (index < 0 || index >= static_cast<int>(layout_.slots.size())) return 0;
  const RibbonSlot& slot = layout_.slots[static_cast<std::size_t>(index)];
  std::wstring title = CaptionText::Plain(SlotCaption(slot));
  std::wstring description;
  if (slot.command) {
    if (!slot.command->tipTitle.empty()) title = slot.command->tipTitle;
    description = slot.command->tipDescription;
  }
  if (description.empty()) {
    // A tip needs a body; a title alone is shown as the body.
    tipText_ = title;
    SendMessageW(tooltip_, TTM_SETTITLEW, TTI_NONE, reinterpret_cast<LPARAM>(L""));
  } else {
    tipText_ = description;
    SendMessageW(tooltip_, TTM_SETTITLEW, TTI_NONE, reinterpret_cast<LPARAM>(title.c_str()));
  }
  info->lpszText = tipText_.data();
  return 0;
}

int Ribbon::HitTest(POINT pt) const {
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) {
    if (PtInRect(&layout_.slots[static_cast<std::size_t>(i)].rect, pt)) return i;
  }
  return -1;
}

void Ribbon::SetHot(int slot) {
  if (slot == hot_) return;
  hot_ = slot;
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Ribbon::OnMouseMove(POINT pt) {
  if (!trackingMouse_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
  }
  SetHot(HitTest(pt));
}

void Ribbon::OnMouseLeave() {
  trackingMouse_ = false;
  SetHot(-1);
}

void Ribbon::OnLButtonDown(POINT pt) {
  const int slot = HitTest(pt);
  if (slot < 0) return;
  const RibbonSlot& hit = layout_.slots[static_cast<std::size_t>(slot)];
  if (hit.part == RibbonPart::Tab || hit.part == RibbonPart::ApplicationButton) {
    // Tabs and the menu button act on press, as a menu bar does.
    Activate(slot, false);
    return;
  }
  pressed_ = slot;
  SetCapture(Hwnd());
  InvalidateRect(Hwnd(), &hit.rect, FALSE);
}

void Ribbon::OnLButtonUp(POINT pt) {
  const int slot = pressed_;
  if (GetCapture() == Hwnd()) ReleaseCapture();
  pressed_ = -1;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  if (slot >= 0 && HitTest(pt) == slot) Activate(slot, false);
}

void Ribbon::Activate(int slot, bool fromKeyboard) {
  if (slot < 0 || slot >= static_cast<int>(layout_.slots.size())) return;
  const RibbonSlot& item = layout_.slots[static_cast<std::size_t>(slot)];
  switch (item.part) {
    case RibbonPart::ApplicationButton:
      // Posted, so that accessibility clients and key handlers return
      // before the menu's modal loop starts.
      PostMessageW(Hwnd(), kShowApplicationMenu, 0, 0);
      return;
    case RibbonPart::Tab:
      SelectTab(item.index);
      return;
    case RibbonPart::QuickAccess:
    case RibbonPart::Button:
      break;
  }
  const int id = item.command->id;
  if (fromKeyboard) LeaveKeyboardMode();
  PostMessageW(Target(), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(Hwnd()));
}

void Ribbon::ShowApplicationMenu() {
  if (menuOpen_) return;
  int appSlot = -1;
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) {
    if (layout_.slots[static_cast<std::size_t>(i)].part == RibbonPart::ApplicationButton) appSlot = i;
  }
  if (appSlot < 0) return;
  PopupMenu menu;
  for (const RibbonCommand& command : model_.applicationMenu) {
    if (command.separatorBefore && menu.Count() > 0) menu.AddSeparator();
    menu.AddItem(command.id, command.caption, Image(command.imageId, Scale(16)));
  }
  LeaveKeyboardMode();
  // A tip still showing would lie over the menu.
  if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
  menuOpen_ = true;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  UpdateWindow(Hwnd());
  const RECT button = Widgets::ClientToScreenRect(Hwnd(), layout_.slots[static_cast<std::size_t>(appSlot)].rect);
  menu.ShowAt(Target(), POINT{button.left, button.bottom}, TPM_LEFTALIGN | TPM_TOPALIGN, &button);
  menuOpen_ = false;
  hot_ = -1;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

HWND Ribbon::Target() const { return target_ ? target_ : GetParent(Hwnd()); }

HBITMAP Ribbon::Image(int imageId, int size) const {
  if (!imageId || !images_) return nullptr;
  return images_(imageId, size);
}

// Keyboard --------------------------------------------------------------

bool Ribbon::PreTranslateMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_SYSKEYDOWN:
      if (msg.wParam == VK_MENU) {
        if (!(msg.lParam & (1 << 30))) {
          altAlone_ = true;
          ShowAccessKeys(true);
        }
        return false;
      }
      altAlone_ = false;
      if (msg.wParam == VK_F4 || msg.wParam == VK_SPACE || GetKeyState(VK_CONTROL) < 0) return false;
      {
        const wchar_t letter = static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(msg.wParam), MAPVK_VK_TO_CHAR));
        if (letter && HandleAccessKey(letter)) return true;
      }
      return false;
    case WM_SYSKEYUP:
      if (msg.wParam == VK_MENU) {
        const bool alone = altAlone_;
        altAlone_ = false;
        if (alone && GetFocus() != Hwnd()) {
          // Alt pressed and released alone: the keyboard moves into the
          // ribbon, the way it enters a menu bar.
          EnterKeyboardMode(0);
          return true;
        }
        if (alone) {
          LeaveKeyboardMode();
          return true;
        }
        if (GetFocus() != Hwnd()) ShowAccessKeys(false);
      }
      return false;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      altAlone_ = false;
      return false;
    default:
      return false;
  }
}

bool Ribbon::HandleAccessKey(wchar_t letter) {
  std::vector<int> matches;
  std::vector<int> ids;
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) {
    const RibbonSlot& slot = layout_.slots[static_cast<std::size_t>(i)];
    if (!CaptionText::MatchesAccessKey(SlotCaption(slot), letter)) continue;
    matches.push_back(i);
  }
  if (matches.empty()) return false;
  // Controls that run the same command (one id, or one caption for one
  // action in two places) count once: the first of them runs.
  bool distinct = false;
  for (int slot : matches) {
    const RibbonSlot& a = layout_.slots[static_cast<std::size_t>(matches.front())];
    const RibbonSlot& b = layout_.slots[static_cast<std::size_t>(slot)];
    if (SlotCaption(a) != SlotCaption(b)) distinct = true;
  }
  if (!distinct) {
    ShowAccessKeys(false);
    Activate(matches.front(), GetFocus() == Hwnd());
    return true;
  }
  // Several different commands share the letter: each press moves the
  // keyboard focus to the next of them; Enter runs it.
  int next = matches.front();
  for (int slot : matches) {
    if (slot > focus_) {
      next = slot;
      break;
    }
  }
  if (GetFocus() == Hwnd()) {
    focus_ = next;
    InvalidateRect(Hwnd(), nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
  } else {
    EnterKeyboardMode(next);
  }
  return true;
}

void Ribbon::ShowAccessKeys(bool show) {
  if (show == showAccessKeys_) return;
  showAccessKeys_ = show;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Ribbon::EnterKeyboardMode(int slot) {
  if (layout_.slots.empty()) return;
  focus_ = std::clamp(slot, 0, static_cast<int>(layout_.slots.size()) - 1);
  showAccessKeys_ = true;
  if (GetFocus() != Hwnd()) {
    SetFocus(Hwnd());
  } else {
    NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
  }
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

void Ribbon::LeaveKeyboardMode() {
  ShowAccessKeys(false);
  if (GetFocus() == Hwnd()) {
    const HWND back = previousFocus_ && IsWindow(previousFocus_) ? previousFocus_ : GetParent(Hwnd());
    SetFocus(back);
  }
}

void Ribbon::MoveFocus(int delta) {
  const int count = static_cast<int>(layout_.slots.size());
  if (count == 0) return;
  focus_ = focus_ < 0 ? 0 : (focus_ + delta + count) % count;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
}

bool Ribbon::OnKeyDown(WPARAM key) {
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      MoveFocus(-1);
      return true;
    case VK_RIGHT:
    case VK_DOWN:
      MoveFocus(1);
      return true;
    case VK_TAB:
      MoveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
      return true;
    case VK_HOME:
      MoveFocus(-std::max(focus_, 0));
      return true;
    case VK_RETURN:
    case VK_SPACE:
      Activate(focus_, true);
      return true;
    case VK_ESCAPE:
      LeaveKeyboardMode();
      return true;
    default: {
      // In the ribbon the access letters work without Alt, as in a menu.
      const wchar_t letter = static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_CHAR));
      return letter && GetKeyState(VK_CONTROL) >= 0 && HandleAccessKey(letter);
    }
  }
}

void Ribbon::OnSetFocus(HWND previous) {
  if (previous && previous != Hwnd() && !IsChild(Hwnd(), previous)) previousFocus_ = previous;
  if (focus_ < 0 && !layout_.slots.empty()) focus_ = 0;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  if (focus_ >= 0) NotifyWinEvent(EVENT_OBJECT_FOCUS, Hwnd(), OBJID_CLIENT, ChildOfSlot(focus_));
}

void Ribbon::OnKillFocus() {
  showAccessKeys_ = false;
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

// Painting --------------------------------------------------------------

void Ribbon::OnPaint(HDC dc) {
  const Widgets::Palette palette = Widgets::CurrentPalette();
  const RECT client = ClientRect();
  Widgets::FillSolid(dc, client, palette.ribbonBack);
  Widgets::FillSolid(dc, layout_.header, palette.headerBack);
  Widgets::HorizontalLine(dc, 0, client.right, layout_.header.bottom - 1, palette.border);
  Widgets::HorizontalLine(dc, 0, client.right, layout_.metrics.height - 1, palette.border);
  if (!font_) return;
  SelectGuard font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);

  if (layout_.quickAccessSeparatorX >= 0) {
    Widgets::VerticalLine(dc, layout_.quickAccessSeparatorX, Scale(6), layout_.header.bottom - Scale(6),
                          palette.border);
  }
  for (const RibbonGroupBox& box : layout_.groups) {
    RECT caption = box.captionRect;
    SetTextColor(dc, palette.groupText);
    const std::wstring text = CaptionText::Plain(box.group->caption);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    Widgets::VerticalLine(dc, box.rect.right + Scale(2), box.rect.top + Scale(4), box.rect.bottom - Scale(4),
                          palette.border);
  }
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) {
    PaintSlot(dc, layout_.slots[static_cast<std::size_t>(i)], i, palette);
  }
}

void Ribbon::PaintSlot(HDC dc, const RibbonSlot& slot, int index, const Widgets::Palette& palette) {
  const bool hot = index == hot_;
  const bool pressed = index == pressed_ && hot;
  const bool focused = index == focus_ && GetFocus() == Hwnd();
  // Access letters are underlined only while the keyboard asks for them;
  // otherwise the plain text is drawn (not every DrawText honours
  // DT_HIDEPREFIX).
  const UINT prefix = showAccessKeys_ ? 0u : static_cast<UINT>(DT_NOPREFIX);
  auto shown = [this](const std::wstring& caption) {
    return showAccessKeys_ ? caption : CaptionText::Plain(caption);
  };
  RECT r = slot.rect;
  switch (slot.part) {
    case RibbonPart::ApplicationButton: {
      Widgets::FillSolid(dc, r, (hot || menuOpen_) ? palette.appButtonHot : palette.appButton);
      SetTextColor(dc, palette.appButtonText);
      const std::wstring caption = shown(slot.command->caption);
      const int textWidth = Widgets::TextWidth(dc, font_.get(), CaptionText::Plain(caption));
      const HBITMAP image = Image(slot.command->imageId, layout_.metrics.smallImage);
      const int imageWidth = image ? layout_.metrics.smallImage + Scale(6) : 0;
      int x = r.left + (r.right - r.left - textWidth - imageWidth) / 2;
      if (image) {
        Widgets::DrawImage(dc, image, x, r.top + (r.bottom - r.top - layout_.metrics.smallImage) / 2,
                           layout_.metrics.smallImage);
        x += imageWidth;
      }
      RECT text{x, r.top, r.right, r.bottom};
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | prefix);
      if (focused) {
        RECT f = r;
        InflateRect(&f, -Scale(2), -Scale(2));
        Widgets::FrameSolid(dc, f, palette.appButtonText);
      }
      return;
    }
    case RibbonPart::Tab: {
      const bool selected = slot.index == selectedTab_;
      if (selected) {
        RECT fill = r;
        fill.bottom += 1;  // covers the header's bottom line: the tab opens into the body
        Widgets::FillSolid(dc, fill, palette.ribbonBack);
        Widgets::HorizontalLine(dc, r.left, r.right, r.top, palette.border);
        Widgets::VerticalLine(dc, r.left, r.top, r.bottom, palette.border);
        Widgets::VerticalLine(dc, r.right - 1, r.top, r.bottom, palette.border);
      } else if (hot) {
        RECT fill = r;
        fill.bottom -= 1;
        Widgets::FillSolid(dc, fill, palette.tabHot);
      }
      SetTextColor(dc, selected ? palette.appButton : palette.tabText);
      const std::wstring caption = shown(slot.tab->caption);
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
      if (focused) {
        RECT f = r;
        InflateRect(&f, -Scale(3), -Scale(3));
        Widgets::FrameSolid(dc, f, palette.focusBorder);
      }
      return;
    }
    case RibbonPart::QuickAccess:
    case RibbonPart::Button:
      break;
  }
  if (pressed) {
    Widgets::FillSolid(dc, r, palette.pressedFill);
    Widgets::FrameSolid(dc, r, palette.pressedBorder);
  } else if (hot && pressed_ < 0) {
    Widgets::FillSolid(dc, r, palette.hotFill);
    Widgets::FrameSolid(dc, r, palette.hotBorder);
  }
  if (focused) {
    Widgets::FrameSolid(dc, r, palette.focusBorder);
  }
  if (slot.part == RibbonPart::QuickAccess) {
    const int size = layout_.metrics.smallImage;
    Widgets::DrawImage(dc, Image(slot.command->imageId, size), r.left + (r.right - r.left - size) / 2,
                       r.top + (r.bottom - r.top - size) / 2, size);
    return;
  }
  const int size = layout_.metrics.largeImage;
  Widgets::DrawImage(dc, Image(slot.command->imageId, size), r.left + (r.right - r.left - size) / 2,
                     r.top + Scale(4), size);
  SetTextColor(dc, palette.windowText);
  const int lineTop = r.top + Scale(4) + size + Scale(3);
  const int lh = layout_.metrics.lineHeight;
  const std::wstring line1 = shown(slot.line1), line2 = shown(slot.line2);
  RECT first{r.left + Scale(2), lineTop, r.right - Scale(2), lineTop + lh};
  DrawTextW(dc, line1.c_str(), static_cast<int>(line1.size()), &first, DT_CENTER | DT_TOP | DT_SINGLELINE | prefix);
  if (!line2.empty()) {
    RECT second{r.left + Scale(2), lineTop + lh, r.right - Scale(2), lineTop + 2 * lh};
    DrawTextW(dc, line2.c_str(), static_cast<int>(line2.size()), &second,
              DT_CENTER | DT_TOP | DT_SINGLELINE | prefix);
  }
}

// Accessibility ---------------------------------------------------------

std::wstring Ribbon::KeyboardShortcut(const std::wstring& caption) const {
  const wchar_t letter = CaptionText::AccessLetter(caption);
  if (!letter) return {};
  wchar_t alt[32] = {};
  const LONG scan = static_cast<LONG>(MapVirtualKeyW(VK_MENU, MAPVK_VK_TO_VSC)) << 16;
  if (GetKeyNameTextW(scan, alt, 32) <= 0) return {};
  return std::wstring(alt) + L"+" + letter;
}

AccessibleElement Ribbon::AccessibleSelf() {
  AccessibleElement self;
  wchar_t text[256] = {};
  GetWindowTextW(Hwnd(), text, 256);
  self.name = text;
  self.role = ROLE_SYSTEM_TOOLBAR;
  self.state = STATE_SYSTEM_FOCUSABLE;
  return self;
}

long Ribbon::AccessibleChildCount() { return static_cast<long>(accessibleOrder_.size()); }

int Ribbon::SlotOfChild(long childId) const {
  if (childId < 1 || childId > static_cast<long>(accessibleOrder_.size())) return -1;
  return accessibleOrder_[static_cast<std::size_t>(childId - 1)];
}

long Ribbon::ChildOfSlot(int slot) const {
  for (std::size_t i = 0; i < accessibleOrder_.size(); ++i) {
    if (accessibleOrder_[i] == slot) return static_cast<long>(i + 1);
  }
  return CHILDID_SELF;
}

bool Ribbon::AccessibleChild(long childId, AccessibleElement& out) {
  const int index = SlotOfChild(childId);
  if (index < 0) return false;
  const RibbonSlot& slot = layout_.slots[static_cast<std::size_t>(index)];
  const std::wstring caption = SlotCaption(slot);
  out.name = CaptionText::Plain(caption);
  out.shortcut = KeyboardShortcut(caption);
  out.bounds = slot.rect;
  out.state = STATE_SYSTEM_FOCUSABLE;
  if (index == hot_) out.state |= STATE_SYSTEM_HOTTRACKED;
  if (index == focus_ && GetFocus() == Hwnd()) out.state |= STATE_SYSTEM_FOCUSED;
  if (slot.part == RibbonPart::Tab) {
    out.role = ROLE_SYSTEM_PAGETAB;
    out.state |= STATE_SYSTEM_SELECTABLE;
    if (slot.index == selectedTab_) out.state |= STATE_SYSTEM_SELECTED;
    return true;
  }
  out.role = ROLE_SYSTEM_PUSHBUTTON;
  out.description = slot.command->tipDescription;
  if (slot.part == RibbonPart::ApplicationButton) out.state |= STATE_SYSTEM_HASPOPUP;
  if (index == pressed_ || (slot.part == RibbonPart::ApplicationButton && menuOpen_)) {
    out.state |= STATE_SYSTEM_PRESSED;
  }
  return true;
}

bool Ribbon::AccessibleDoDefault(long childId) {
  const int index = SlotOfChild(childId);
  if (index < 0) return false;
  Activate(index, false);
  return true;
}

long Ribbon::AccessibleFocusChild() { return focus_ >= 0 ? ChildOfSlot(focus_) : CHILDID_SELF; }
