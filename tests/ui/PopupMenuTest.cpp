#include <gtest/gtest.h>

#include "WidgetHost.h"
#include "ui/widgets/PopupMenu.h"

using namespace uitest;

TEST(WidgetsPopupMenu, HoldsItemsImagesSeparatorsAndReportsTheChoice) {
  HostWindow host;
  const UniqueBitmap big = MakeImage(32, RGB(200, 40, 40));
  const UniqueBitmap small = MakeImage(16, RGB(40, 200, 40));
  PopupMenu menu;
  menu.AddItem(7001, L"&Delete", big.get());
  menu.AddSeparator();
  menu.AddItem(7003, L"Google File Name", big.get());
  menu.AddItem(7004, L"Google Add-on Name", big.get());
  menu.AddSeparator();
  menu.AddItem(7002, L"&Properties", small.get());
  menu.AddItem(6008, L"&Exit");
  ASSERT_EQ(menu.Count(), 7);

  const UINT ids[] = {7001, 0, 7003, 7004, 0, 7002, 6008};
  const HBITMAP images[] = {big.get(), nullptr, big.get(), big.get(), nullptr, small.get(), nullptr};
  for (int i = 0; i < 7; ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_BITMAP | MIIM_STRING | MIIM_DATA;
    item.dwTypeData = text;
    item.cch = 64;
    ASSERT_TRUE(GetMenuItemInfoW(menu.Handle(), static_cast<UINT>(i), TRUE, &item)) << i;
    EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, ids[i] == 0) << i;
    if (ids[i] == 0) continue;
    EXPECT_EQ(item.wID, ids[i]);
    // Images are drawn by the menu's owner from the item's data.
    EXPECT_TRUE(item.hbmpItem == (images[i] ? HBMMENU_CALLBACK : nullptr) &&
                reinterpret_cast<HBITMAP>(item.dwItemData) == images[i]) << i;
  }

  // Keys waiting in the queue drive the menu's loop: Down, Down, Enter
  // picks the second item (the separator is skipped).
  POINT at{100, 100};
  ClientToScreen(host.Hwnd(), &at);
  PostMessageW(host.Hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(host.Hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(host.Hwnd(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(menu.ShowAt(host.Hwnd(), at), 7003);
  Pump();
  EXPECT_EQ(host.commands, std::vector<int>{7003});
  EXPECT_EQ(host.commandSources, std::vector<LPARAM>{0});

  // Dismissed: nothing is chosen, nothing is sent. From the keyboard the
  // menu opens at the given client point.
  host.commands.clear();
  PostMessageW(host.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(menu.ShowForContextMenu(host.Hwnd(), -1, POINT{40, 60}), 0);
  Pump();
  EXPECT_TRUE(host.commands.empty());

  menu.Clear();
  EXPECT_EQ(menu.Count(), 0);
  EXPECT_EQ(menu.ShowAt(host.Hwnd(), at), 0);  // an empty menu is not shown
}
