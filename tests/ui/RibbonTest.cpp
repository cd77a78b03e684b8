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

// The ribbon of the program's commands in a window wide enough for every
// group unfolded, at 144 DPI too; its images generated, one per (id, size),
// the sizes asked for noted.
struct RibbonWorld {
  HostWindow host{1600, 600};
  std::map<std::pair<int, int>, UniqueBitmap> images;
  std::set<int> sizes;
  std::unique_ptr<Ribbon> owned = std::make_unique<Ribbon>();
  Ribbon& ribbon = *owned;
  RibbonWorld() {
    EXPECT_TRUE(ribbon.Create(host.Hwnd(), 100));
    ribbon.SetImageSource([this](int id, int size) {
      sizes.insert(size);
      auto& slot = images[{id, size}];
      if (!slot) slot = MakeImage(size);
      return slot.get();
    });
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

  // The tip of a button shows the same description; images are asked at
  // the sizes of the screen's DPI (larger layout: MainWindow.AtFirstSight...).
  NMTTDISPINFOW tip{};
  tip.hdr = {w.ribbon.Tooltip(), 0, static_cast<UINT>(TTN_GETDISPINFOW)};
  for (std::size_t i = 0; i < w.ribbon.Layout().slots.size(); ++i)
    if (const auto* command = w.ribbon.Layout().slots[i].command; command && command->id == Commands::kDelete)
      tip.hdr.idFrom = i + 1;
  SendMessageW(w.ribbon.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip.lpszText, nullptr);
  EXPECT_EQ(tip.lpszText, GroupButtons()[0]->tipDescription);
  EXPECT_TRUE(w.sizes.count(32) && w.sizes.count(16));
  w.ribbon.SetDpiOverride(144);
  UpdateWindow(w.ribbon.Hwnd());
  EXPECT_TRUE(w.sizes.count(48) && w.sizes.count(24));

  // Once the control is gone its object answers, but only "disconnected".
  w.owned.reset();
  long left = 0;
  EXPECT_EQ(acc->get_accChildCount(&left), RPC_E_DISCONNECTED);
  EXPECT_EQ(acc->accDoDefaultAction(ChildVariant(4)), RPC_E_DISCONNECTED);
}
