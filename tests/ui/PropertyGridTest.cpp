#include <gtest/gtest.h>

#include "WidgetHost.h"
#include "ui/widgets/PropertyGrid.h"

using namespace uitest;

namespace {

struct GridWorld {
  HostWindow host;
  PropertyGrid grid;
  explicit GridWorld(int width = 500, int height = 200) {
    EXPECT_TRUE(grid.Create(host.Hwnd(), 300));
    SetWindowPos(grid.Hwnd(), nullptr, 0, 0, width, height, SWP_NOZORDER);
    grid.SetCategory(L"Details");
    Pump();
  }
  int ClientWidth() const {
    RECT r{};
    GetClientRect(grid.Hwnd(), &r);
    return r.right;
  }
};

}  // namespace

// Replacing rows is covered with the details pane; here what assistive
// technology reads of them.
TEST(WidgetsPropertyGrid, RowsReadAsNameAndValueUnderTheHeading) {
  GridWorld w;
  w.grid.AddRow(L"File", L"C:\\other.dll");
  w.grid.AddRow(L"Affected users", L"");
  auto acc = w.grid.Accessible();
  ASSERT_EQ(AccChildCount(acc.Get()), 3);
  EXPECT_EQ(AccName(acc.Get(), 1), L"Details");
  EXPECT_EQ(AccRole(acc.Get(), 1), ROLE_SYSTEM_OUTLINEITEM);
  EXPECT_TRUE(AccState(acc.Get(), 1) & STATE_SYSTEM_EXPANDED);
  EXPECT_EQ(AccName(acc.Get(), 2) + L"=" + AccValue(acc.Get(), 2), L"File=C:\\other.dll");
  EXPECT_EQ(AccName(acc.Get(), 3) + L"=" + AccValue(acc.Get(), 3), L"Affected users=");
  EXPECT_EQ(AccLocation(acc.Get(), 3), ToScreen(w.grid.Hwnd(), w.grid.LineRect(2)));
  // Rows follow the heading, in the order given, one line each.
  EXPECT_EQ(w.grid.LineRect(1).top, w.grid.LineRect(0).bottom);
  EXPECT_EQ(w.grid.LineRect(2).top, w.grid.LineRect(1).bottom);

  // Emptied, the heading stays alone.
  w.grid.Clear();
  EXPECT_EQ(AccChildCount(acc.Get()), 1);

  // The default action of the heading collapses it; its rows then hide.
  w.grid.AddRow(L"File", L"x.dll");
  EXPECT_EQ(AccDoDefault(acc.Get(), 1), S_OK);
  EXPECT_FALSE(w.grid.Expanded());
  EXPECT_TRUE(AccState(acc.Get(), 1) & STATE_SYSTEM_COLLAPSED);
  EXPECT_TRUE(AccState(acc.Get(), 2) & STATE_SYSTEM_INVISIBLE);
}

// A click on a value opens it read-only for selecting text; the arrow keys
// close it and go on in the grid; clearing closes it too.
void ExpectValueEditorOpensReadOnlyAndCloses(GridWorld& w, int width) {
  const HWND grid = w.grid.Hwnd();
  const RECT row1 = w.grid.LineRect(1);
  Click(grid, POINT{width * 3 / 4, (row1.top + row1.bottom) / 2});
  EXPECT_EQ(w.grid.Selection(), 1);
  ASSERT_TRUE(w.grid.EditorVisible());
  EXPECT_EQ(GetFocus(), w.grid.ValueEditor());
  wchar_t text[64] = {};
  GetWindowTextW(w.grid.ValueEditor(), text, 64);
  EXPECT_STREQ(text, L"C:\\addon.dll");
  EXPECT_TRUE(GetWindowLongPtrW(w.grid.ValueEditor(), GWL_STYLE) & ES_READONLY);
  Key(w.grid.ValueEditor(), VK_DOWN);
  EXPECT_FALSE(w.grid.EditorVisible());
  EXPECT_EQ(w.grid.Selection(), 2);
  EXPECT_EQ(GetFocus(), grid);

  // Clearing while a value is open closes it; nothing lingers.
  Click(grid, POINT{width * 3 / 4, (row1.top + row1.bottom) / 2});
  w.grid.Clear();
  EXPECT_FALSE(w.grid.EditorVisible());
  EXPECT_EQ(w.grid.Selection(), PropertyGrid::kHeading);
}

TEST(WidgetsPropertyGrid, DividerKeyboardAndCopying) {
  GridWorld w(500, 200);
  w.grid.AddRow(L"File", L"C:\\addon.dll");
  w.grid.AddRow(L"Manufacturer", L"Example Ltd");
  w.grid.AddRow(L"Affected users", L"Everyone");
  const HWND grid = w.grid.Hwnd();

  // The divider sits at two tenths of the width, and keeps that share.
  EXPECT_EQ(w.grid.DividerX(), w.ClientWidth() / 5);
  SetWindowPos(grid, nullptr, 0, 0, 800, 200, SWP_NOZORDER | SWP_NOMOVE);
  Pump();
  const int width = w.ClientWidth();
  EXPECT_NEAR(w.grid.DividerX(), width / 5, 1);
  // Dragged, it follows the mouse.
  const int y = (w.grid.LineRect(1).top + w.grid.LineRect(1).bottom) / 2;
  Drag(grid, POINT{w.grid.DividerX(), y}, POINT{width / 2, y});
  EXPECT_NEAR(w.grid.DividerFraction(), 0.5, 0.01);
  EXPECT_EQ(w.grid.RowCount(), 3);

  // Up and down move the selection; left and right collapse and expand.
  SetFocus(grid);
  Pump();
  EXPECT_EQ(w.grid.Selection(), PropertyGrid::kHeading);
  for (UINT key : {VK_DOWN, VK_DOWN, VK_UP}) Key(grid, key);
  EXPECT_EQ(w.grid.Selection(), 1);
  for (int i = 0; i < 3; ++i) Key(grid, VK_DOWN);
  EXPECT_EQ(w.grid.Selection(), 3);  // stops at the last row
  auto acc = w.grid.Accessible();
  EXPECT_TRUE(AccState(acc.Get(), 4) & STATE_SYSTEM_FOCUSED);

  // Ctrl+C copies the selected value.
  {
    KeysHeld control(VK_CONTROL);
    Key(grid, 'C');
  }
  EXPECT_EQ(ClipboardText(w.host.Hwnd()), L"Everyone");

  Key(grid, VK_LEFT);
  EXPECT_FALSE(w.grid.Expanded());
  EXPECT_EQ(w.grid.Selection(), PropertyGrid::kHeading);
  EXPECT_EQ(w.grid.LineRect(1).bottom, 0);  // hidden rows take no room
  Key(grid, VK_DOWN);
  EXPECT_EQ(w.grid.Selection(), PropertyGrid::kHeading);
  Key(grid, VK_RIGHT);
  EXPECT_TRUE(w.grid.Expanded());

  ExpectValueEditorOpensReadOnlyAndCloses(w, width);
}

TEST(WidgetsPropertyGrid, ScalesWithDpi) {
  GridWorld w;
  w.grid.AddRow(L"File", L"x.dll");
  const int line96 = w.grid.LineHeight();
  w.grid.SetDpiOverride(144);
  EXPECT_NEAR(w.grid.LineHeight(), line96 * 3 / 2, 3);
  EXPECT_EQ(w.grid.LineRect(1).top, w.grid.LineHeight());
  EXPECT_EQ(w.grid.DividerX(), w.ClientWidth() / 5);
}
