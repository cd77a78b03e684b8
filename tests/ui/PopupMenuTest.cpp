#include <gtest/gtest.h>

#include "WidgetHost.h"
#include "ui/widgets/PopupMenu.h"

using namespace uitest;

// Keys waiting in the queue drive the menu's loop; the choice reaches the
// owner as its command, a dismissed or empty menu sends nothing.
TEST(WidgetsPopupMenu, TheChoiceIsSentAndADismissalSendsNothing) {
  HostWindow host;
  const UniqueBitmap image = MakeImage(16);
  PopupMenu menu;
  menu.AddItem(7001, L"&Delete", image.get());
  menu.AddSeparator();
  menu.AddItem(7003, L"Google File Name", image.get());
  menu.AddItem(6008, L"&Exit");
  ASSERT_EQ(menu.Count(), 4);
  // Down, Down, Enter picks the second item (the separator is skipped).
  POINT at{100, 100};
  ClientToScreen(host.Hwnd(), &at);
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(host.Hwnd(), WM_KEYDOWN, key, 0);
  EXPECT_EQ(menu.ShowAt(host.Hwnd(), at), 7003);
  Pump();
  EXPECT_EQ(host.commands, std::vector<int>{7003});
  EXPECT_EQ(host.commandSources, std::vector<LPARAM>{0});

  // Dismissed from the keyboard's menu (opened at the given client point).
  host.commands.clear();
  PostMessageW(host.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(menu.ShowForContextMenu(host.Hwnd(), -1, POINT{40, 60}), 0);
  Pump();
  EXPECT_TRUE(host.commands.empty());
  menu.Clear();
  EXPECT_EQ(menu.Count(), 0);
  EXPECT_EQ(menu.ShowAt(host.Hwnd(), at), 0);  // an empty menu is not shown
}
