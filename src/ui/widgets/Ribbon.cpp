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
    case RibbonPart::GroupMenu:
      break;
  }
  return 3;
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
  if (const auto answer = MouseMessage(message, lParam)) return *answer;
  if (const auto answer = KeyboardMessage(message, wParam, lParam)) return *answer;
  switch (message) {
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_NOTIFY:
      return FillTooltip(reinterpret_cast<NMHDR*>(lParam));
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
    case kShowMenu:
      ShowMenu(static_cast<int>(wParam));
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

std::optional<LRESULT> Ribbon::MouseMessage(UINT message, LPARAM lParam) {
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_MOUSEMOVE:
      TrackHotSlot(pt);
      return 0;
    case WM_MOUSELEAVE:
      ClearHotSlot();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      PressAt(pt);
      return 0;
    case WM_LBUTTONUP:
      ReleaseAt(pt);
      return 0;
    case WM_CAPTURECHANGED:
      if (pressed_ >= 0) {
        pressed_ = -1;
        InvalidateRect(Hwnd(), nullptr, FALSE);
      }
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> Ribbon::KeyboardMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (TakeKey(wParam)) return 0;
      return std::nullopt;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
      MSG msg{Hwnd(), message, wParam, lParam, 0, {}};
      if (TakeKeyBeforeDispatch(msg)) return 0;
      return std::nullopt;
    }
    case WM_CHAR:
      return 0;  // letters were handled as keys; no beep
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      TakeFocusFrom(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_KILLFOCUS:
      LoseFocus();
      return 0;
    default:
      return std::nullopt;
  }
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

LRESULT Ribbon::FillTooltip(NMHDR* header) {
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

void Ribbon::TrackHotSlot(POINT pt) {
  if (!trackingMouse_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Hwnd(), 0};
    trackingMouse_ = TrackMouseEvent(&track) != FALSE;
  }
  SetHot(HitTest(pt));
}

void Ribbon::ClearHotSlot() {
  trackingMouse_ = false;
  SetHot(-1);
}

void Ribbon::PressAt(POINT pt) {
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

void Ribbon::ReleaseAt(POINT pt) {
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
    case RibbonPart::GroupMenu:
      // Posted, so that accessibility clients and key handlers return
      // before the menu's modal loop starts.
      PostMessageW(Hwnd(), kShowMenu, static_cast<WPARAM>(slot), 0);
      return;
    case RibbonPart::Tab:
      SelectTab(item.index);
      return;
    case RibbonPart::QuickAccess:
    case RibbonPart::Button:
      break;
  }
  RunCommand(item.command->id, fromKeyboard);
}

void Ribbon::RunCommand(int id, bool fromKeyboard) {
  if (fromKeyboard) LeaveKeyboardMode();
  PostMessageW(Target(), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(Hwnd()));
}

void Ribbon::ShowMenu(int slot) {
  if (menuSlot_ >= 0 || slot < 0 || slot >= static_cast<int>(layout_.slots.size())) return;
  const RibbonSlot& item = layout_.slots[static_cast<std::size_t>(slot)];
  const std::vector<RibbonCommand>* commands = nullptr;
  if (item.part == RibbonPart::ApplicationButton) commands = &model_.applicationMenu;
  if (item.part == RibbonPart::GroupMenu && item.group) commands = &item.group->buttons;
  if (!commands) return;
  PopupMenu menu;
  for (const RibbonCommand& command : *commands) {
    if (command.separatorBefore && menu.Count() > 0) menu.AddSeparator();
    menu.AddItem(command.id, command.caption, Image(command.imageId, Scale(16)));
  }
  LeaveKeyboardMode();
  // A tip still showing would lie over the menu.
  if (tooltip_) SendMessageW(tooltip_, TTM_POP, 0, 0);
  menuSlot_ = slot;
  InvalidateRect(Hwnd(), nullptr, FALSE);
  UpdateWindow(Hwnd());
  const RECT button = Widgets::ClientToScreenRect(Hwnd(), item.rect);
  const POINT at{button.left, button.bottom};
  if (chooseFromMenu) {
    if (const int chosen = chooseFromMenu(menu.Handle(), at))
      PostMessageW(Target(), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  } else {
    menu.ShowAt(Target(), at, TPM_LEFTALIGN | TPM_TOPALIGN, &button);
  }
  menuSlot_ = -1;
  hot_ = -1;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

HWND Ribbon::Target() const { return target_ ? target_ : GetParent(Hwnd()); }

HBITMAP Ribbon::Image(int imageId, int size) const {
  if (!imageId || !images_) return nullptr;
  return images_(imageId, size);
}
