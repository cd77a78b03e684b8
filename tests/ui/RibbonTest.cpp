#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "WidgetHost.h"
#include "ui/main/CommandTable.h"
#include "ui/widgets/CaptionText.h"
#include "ui/widgets/Ribbon.h"

using namespace uitest;

namespace {

// The program's own ribbon, as its command table lays it out.
const RibbonModel& Model() {
  static const RibbonModel model = Commands::BuildRibbonModel();
  return model;
}

// The buttons of the tab's groups, in order.
std::vector<const RibbonCommand*> GroupButtons() {
  std::vector<const RibbonCommand*> buttons;
  for (const RibbonGroup& group : Model().tabs.at(0).groups)
    for (const RibbonCommand& command : group.buttons) buttons.push_back(&command);
  return buttons;
}

// Hands out one generated image per (id, size) and remembers the sizes
// the ribbon asked for.
struct TestImages {
  std::map<std::pair<int, int>, UniqueBitmap> bitmaps;
  std::set<int> sizes;
  HBITMAP Get(int id, int size) {
    sizes.insert(size);
    auto& slot = bitmaps[{id, size}];
    if (!slot) slot = MakeImage(size, RGB(40, 120, 200));
    return slot.get();
  }
};

struct RibbonWorld {
  HostWindow host;
  TestImages images;
  std::unique_ptr<Ribbon> owned = std::make_unique<Ribbon>();
  Ribbon& ribbon = *owned;
  RibbonWorld() {
    // Wide enough for every group unfolded, at 144 DPI too.
    host.SetClientSize(1600, 600);
    EXPECT_TRUE(ribbon.Create(host.Hwnd(), 100));
    ribbon.SetImageSource([this](int id, int size) { return images.Get(id, size); });
    ribbon.SetModel(Model());
    ribbon.DockToParent();
    Pump();
    // The List group's filter box reports its own changes: not commands.
    host.commands.clear();
    host.commandSources.clear();
  }
  void Press(UINT message, WPARAM key, LPARAM flags = 0) {
    MSG msg{ribbon.Hwnd(), message, key, flags, 0, {}};
    if (!ribbon.TakeKeyBeforeDispatch(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Pump();
  }
};

// Every large button holds its wrapped caption and its image at the size
// asked, none overlaps another, and the group captions sit below them.
void ExpectButtonsLaidOut(RibbonWorld& w, int large, int small) {
  const RibbonLayout& layout = w.ribbon.Layout();
  HDC dc = GetDC(w.ribbon.Hwnd());
  std::vector<RECT> buttons;
  for (const RibbonSlot& slot : layout.slots) {
    if (slot.part != RibbonPart::Button) continue;
    // The wrapped caption fits its button and the image fits above it.
    const int textWidth = std::max(Widgets::TextWidth(dc, w.ribbon.Font(), CaptionText::Plain(slot.line1)),
                                   Widgets::TextWidth(dc, w.ribbon.Font(), CaptionText::Plain(slot.line2)));
    EXPECT_LE(textWidth, slot.rect.right - slot.rect.left) << slot.command->id;
    EXPECT_GE(slot.rect.right - slot.rect.left, large) << slot.command->id;
    EXPECT_LE(slot.rect.bottom, layout.body.bottom);
    for (const RECT& other : buttons) {
      RECT overlap{};
      EXPECT_FALSE(IntersectRect(&overlap, &other, &slot.rect)) << slot.command->id;
    }
    buttons.push_back(slot.rect);
  }
  ReleaseDC(w.ribbon.Hwnd(), dc);
  EXPECT_EQ(buttons.size(), GroupButtons().size());
  // Group captions sit below their buttons, inside the body.
  ASSERT_EQ(layout.groups.size(), Model().tabs[0].groups.size());
  for (const RibbonGroupBox& box : layout.groups) EXPECT_LE(box.captionRect.bottom, layout.body.bottom);
  EXPECT_TRUE(w.images.sizes.count(large) && w.images.sizes.count(small));
}

// Alt pressed and released alone moves the keyboard into the ribbon;
// Escape goes back.
void ExpectAltAloneMovesTheKeyboardIntoTheRibbon(RibbonWorld& w) {
  const HWND ribbon = w.ribbon.Hwnd();
  w.Press(WM_SYSKEYDOWN, VK_MENU, 0x20000000);
  w.Press(WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0000000));
  EXPECT_EQ(GetFocus(), ribbon);
  EXPECT_TRUE(w.ribbon.AccessKeysShown());
  Key(ribbon, VK_ESCAPE);
  EXPECT_EQ(GetFocus(), w.host.Hwnd());
  EXPECT_FALSE(w.ribbon.AccessKeysShown());
}

}  // namespace

TEST(WidgetsRibbon, MouseKeyboardAndAccessKeysSendCommandIds) {
  RibbonWorld w;
  const HWND ribbon = w.ribbon.Hwnd();

  // Every large button and the quick-access button send their own id.
  std::vector<int> ids;
  for (const RibbonCommand* command : GroupButtons()) ids.push_back(command->id);
  ids.push_back(Model().quickAccess.at(0).id);
  for (int id : ids) {
    const RECT r = w.ribbon.CommandRect(id);
    ASSERT_LT(r.left, r.right) << id;
    Click(ribbon, Center(r));
  }
  EXPECT_EQ(w.host.commands, ids);
  EXPECT_EQ(w.host.commandSources.front(), reinterpret_cast<LPARAM>(ribbon));

  // A press that is released elsewhere is no click.
  w.host.commands.clear();
  const RECT del = w.ribbon.CommandRect(Commands::kDelete);
  SendMessageW(ribbon, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Center(del).x, Center(del).y));
  SendMessageW(ribbon, WM_LBUTTONUP, 0, MAKELPARAM(del.right + 300, Center(del).y));
  Pump();
  EXPECT_TRUE(w.host.commands.empty());

  // Alt shows the access letters; Alt+D runs Delete and is used up.
  SetFocus(w.host.Hwnd());
  w.Press(WM_SYSKEYDOWN, VK_MENU, 0x20000000);
  EXPECT_TRUE(w.ribbon.AccessKeysShown());
  MSG altD{ribbon, WM_SYSKEYDOWN, 'D', 0x20000000, 0, {}};
  EXPECT_TRUE(w.ribbon.TakeKeyBeforeDispatch(altD));
  // So is the Alt release: passed on, the window would take it for Alt
  // pressed alone and enter its menu.
  MSG altUp{ribbon, WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0000000), 0, {}};
  EXPECT_TRUE(w.ribbon.TakeKeyBeforeDispatch(altUp));
  EXPECT_FALSE(w.ribbon.AccessKeysShown());
  Pump();
  EXPECT_EQ(w.host.commands, std::vector<int>{Commands::kDelete});
  // A letter no caption uses is left to the window.
  MSG altQ{ribbon, WM_SYSKEYDOWN, 'Q', 0x20000000, 0, {}};
  EXPECT_FALSE(w.ribbon.TakeKeyBeforeDispatch(altQ));

  // Both Refresh controls share R with Restore: the first R moves the
  // keyboard into the ribbon, the next one on to Restore, Enter runs it
  // and gives the keyboard back.
  w.host.commands.clear();
  EXPECT_TRUE(w.ribbon.HandleAccessKey(L'r'));
  Pump();
  EXPECT_TRUE(w.host.commands.empty());
  EXPECT_EQ(GetFocus(), ribbon);
  EXPECT_TRUE(w.ribbon.HandleAccessKey(L'R'));
  Key(ribbon, VK_RETURN);
  EXPECT_EQ(w.host.commands, std::vector<int>{Commands::kRestore});
  EXPECT_EQ(GetFocus(), w.host.Hwnd());

  ExpectAltAloneMovesTheKeyboardIntoTheRibbon(w);
}

TEST(WidgetsRibbon, AccessibleChildrenNameDescribeLocateAndPressEveryCommand) {
  RibbonWorld w;
  auto acc = w.ribbon.Accessible();
  ASSERT_TRUE(acc);
  // Children in screen order: File, quick Refresh, the tab, then the buttons.
  std::vector<std::pair<int, std::wstring>> children = {{Model().applicationButton.id, Model().applicationButton.caption},
                                                        {Model().quickAccess.at(0).id, Model().quickAccess.at(0).caption},
                                                        {0, Model().tabs.at(0).caption}};
  for (const RibbonCommand* command : GroupButtons()) children.emplace_back(command->id, command->caption);
  const long count = static_cast<long>(children.size());
  ASSERT_EQ(AccChildCount(acc.Get()), count);
  for (long child = 1; child <= count; ++child) {
    const auto& [id, caption] = children[child - 1];
    EXPECT_EQ(AccName(acc.Get(), child), CaptionText::Plain(caption));
    EXPECT_EQ(AccRole(acc.Get(), child), id ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_PAGETAB) << id;
    EXPECT_EQ(AccLocation(acc.Get(), child),
              ToScreen(w.ribbon.Hwnd(), id ? w.ribbon.CommandRect(id) : w.ribbon.TabRect(0))) << id;
  }
  // The first button (Delete): its tip as description, its access letter.
  EXPECT_EQ(AccText(acc.Get(), 4, &IAccessible::get_accDescription), GroupButtons()[0]->tipDescription);
  EXPECT_NE(AccText(acc.Get(), 4, &IAccessible::get_accKeyboardShortcut).find(L"+D"), std::wstring::npos);
  EXPECT_EQ(AccText(acc.Get(), 5, &IAccessible::get_accKeyboardShortcut), L"");  // no access letter
  EXPECT_TRUE(AccState(acc.Get(), 1) & STATE_SYSTEM_HASPOPUP);

  // The default action posts the command, as a click does.
  EXPECT_EQ(AccDoDefault(acc.Get(), 5), S_OK);
  EXPECT_EQ(AccDoDefault(acc.Get(), count), S_OK);
  Pump();
  EXPECT_EQ(w.host.commands, (std::vector<int>{children[4].first, children.back().first}));

  // Hit testing finds the part under a screen point.
  const POINT pt = Center(ToScreen(w.ribbon.Hwnd(), w.ribbon.CommandRect(children[6].first)));
  VARIANT hit = ChildVariant(-1);
  ASSERT_EQ(acc->accHitTest(pt.x, pt.y, &hit), S_OK);
  EXPECT_TRUE(hit.vt == VT_I4 && hit.lVal == 7);

  EXPECT_EQ(AccRole(acc.Get(), 0), ROLE_SYSTEM_TOOLBAR);
  BSTR name = nullptr;
  EXPECT_EQ(acc->get_accName(ChildVariant(count + 1), &name), E_INVALIDARG);

  // Once the control is gone its object answers, but only "disconnected".
  w.owned.reset();
  long left = 0;
  EXPECT_EQ(acc->get_accChildCount(&left), RPC_E_DISCONNECTED);
  EXPECT_EQ(acc->accDoDefaultAction(ChildVariant(4)), RPC_E_DISCONNECTED);
}

TEST(WidgetsRibbon, LaysOutWrapsAndScalesWithDpiWithTooltipsToMatch) {
  RibbonWorld w;
  const int height96 = w.ribbon.Height();
  const RECT free = w.ribbon.DockToParent();
  RECT client{};
  GetClientRect(w.host.Hwnd(), &client);
  EXPECT_TRUE(free.top == height96 && free.bottom == client.bottom && free.right == client.right) << free;

  ExpectButtonsLaidOut(w, 32, 16);
  HWND tip = w.ribbon.Tooltip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), static_cast<LRESULT>(w.ribbon.Layout().slots.size()));

  // The tip of a button shows its description (under its caption as title).
  int deleteSlot = -1;
  for (std::size_t i = 0; i < w.ribbon.Layout().slots.size(); ++i) {
    const auto* command = w.ribbon.Layout().slots[i].command;
    if (command && command->id == Commands::kDelete) deleteSlot = static_cast<int>(i);
  }
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = tip;
  info.hdr.idFrom = static_cast<UINT_PTR>(deleteSlot + 1);
  info.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(w.ribbon.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_EQ(info.lpszText, GroupButtons()[0]->tipDescription);

  // At 144 DPI everything grows by half and the owner hears of it.
  w.images.sizes.clear();
  w.ribbon.SetDpiOverride(144);
  UpdateWindow(w.ribbon.Hwnd());
  EXPECT_NEAR(w.ribbon.Height(), height96 * 3 / 2, 4);
  EXPECT_NE(std::find(w.host.notifications.begin(), w.host.notifications.end(), Ribbon::kNotifyHeightChanged),
            w.host.notifications.end());
  ExpectButtonsLaidOut(w, 48, 24);
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 270);  // 180 grown with the text
  EXPECT_EQ(w.ribbon.DockToParent().top, w.ribbon.Height());
}
