#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "core/Strings.h"
#include "engine/files/FileResolver.h"
#include "support/KindEntries.h"
#include "support/KindParams.h"
#include "support/WindowProbe.h"
#include "ozcore/CParams.h"
#include "tables/TableTestKit.h"
#include "ui/main/TableHost.h"
#include "ui/main/DetailsPane.h"
#include "ui/main/CategoryTree.h"
#include "ui/tables/ITableControl.h"
#include "ui/widgets/PropertyGrid.h"

using namespace tabletest;

namespace {

// The shared test window, with COM for the images.
struct Window {
  Window() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~Window() {
    Pump();
    CoUninitialize();
  }
  HWND Hwnd() const { return SharedHost(); }
};

std::vector<std::wstring> Rows(DetailsPane& pane) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < pane.Grid().RowCount(); ++i) rows.push_back(pane.Grid().RowName(i) + L"=" + pane.Grid().RowValue(i));
  return rows;
}

bool Visible(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

// The identifiers of the host's tables that are visible.
std::vector<std::int32_t> VisibleTables(TableHost& host) {
  std::vector<std::int32_t> visible;
  for (std::int32_t id : qlmtest::KindIds())
    if (Visible(host.Table(id)->Hwnd())) visible.push_back(id);
  return visible;
}

}  // namespace

TEST(UiPanesTree, ListsEveryKindAndRaisesOnlyTheUsersChoice) {
  Window window;
  CategoryTree tree;
  std::vector<std::int32_t> raised;
  tree.ShowTable = [&](std::int32_t id) { raised.push_back(id); };
  ASSERT_TRUE(tree.Create(window.Hwnd()));
  MoveWindow(tree.Hwnd(), 0, 0, 250, 300, TRUE);
  Pump();
  EXPECT_TRUE(raised.empty());

  HWND tv = tree.TreeHwnd();
  // One top-level node per kind in the table's order, each carrying its
  // table's id and caption.
  const auto& kinds = discovery::AddonKinds();
  ASSERT_EQ(TreeView_GetCount(tv), kinds.size());
  std::vector<HTREEITEM> items;
  for (HTREEITEM item = TreeView_GetRoot(tv); item; item = TreeView_GetNextSibling(tv, item)) {
    wchar_t buf[128] = {};
    TVITEMW tvi{};
    tvi.mask = TVIF_TEXT | TVIF_PARAM;
    tvi.hItem = item;
    tvi.pszText = buf;
    tvi.cchTextMax = 128;
    TreeView_GetItem(tv, &tvi);
    ASSERT_LT(items.size(), kinds.size());
    EXPECT_EQ(buf, LoadStr(kinds[items.size()].caption));
    EXPECT_EQ(tvi.lParam, kinds[items.size()].id);
    items.push_back(item);
  }
  EXPECT_EQ(TreeView_GetSelection(tv), items[0]);

  // The keyboard and the mouse choose; the program's own selection does not.
  SetFocus(tv);
  auto key = [&](UINT vk) {
    SendMessageW(tv, WM_KEYDOWN, vk, 1);
    SendMessageW(tv, WM_KEYUP, vk, 0xC0000001);
    Pump();
  };
  key(VK_DOWN);
  key(VK_END);
  key(VK_HOME);
  EXPECT_EQ(raised, (std::vector<std::int32_t>{4, 11, 3}));
  RECT r{};
  TreeView_GetItemRect(tv, items[2], &r, TRUE);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(tv, WM_LBUTTONUP, 0, at);
  SendMessageW(tv, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Pump();
  EXPECT_EQ(raised, (std::vector<std::int32_t>{4, 11, 3, 5}));
  TreeView_SelectItem(tv, items[4]);
  Pump();
  EXPECT_EQ(raised.size(), 4u);
}

TEST(UiPanesHost, ShowsOneTableAtATimeAndKeepsTheDetailsInStep) {
  qlmtest::RegFixture reg;
  qlmtest::KindEntries(reg).Add(TableId::kToolbars, qlmtest::kMachine, L"Quill Host Bar", CompanyFile());
  Window window;
  DetailsPane pane;
  ASSERT_TRUE(pane.Create(window.Hwnd()));
  pane.Init();
  FileResolver files(true);
  TableHost host(files);
  ASSERT_TRUE(host.Create(window.Hwnd()));

  // The grid covers the pane; before Init nothing is filed.
  MoveWindow(pane.Hwnd(), 0, 0, 300, 120, TRUE);
  RECT grid{};
  GetWindowRect(pane.Grid().Hwnd(), &grid);
  EXPECT_TRUE(grid.right - grid.left == 300 && grid.bottom - grid.top == 120);
  EXPECT_EQ(host.CurrentTable(), nullptr);
  MoveWindow(host.Hwnd(), 0, 0, 500, 300, TRUE);
  host.Init(&pane, nullptr);
  const std::vector<std::int32_t> ids = qlmtest::KindIds();
  auto visibleIds = [&] { return VisibleTables(host); };
  EXPECT_EQ(visibleIds(), std::vector<std::int32_t>{3});
  ASSERT_NE(host.CurrentTable(), nullptr);
  EXPECT_EQ(host.CurrentTable()->ID(), 3);
  // The toolbar table's selected row is in the pane.
  ASSERT_FALSE(pane.Grid().RowCount() == 0);
  EXPECT_EQ(host.CurrentTable()->CurrentFullFileName(), pane.Grid().RowValue(0));

  for (std::int32_t id : ids) {
    host.ShowTable(id);
    EXPECT_EQ(visibleIds(), std::vector<std::int32_t>{id});
    EXPECT_EQ(host.CurrentTable(), host.Table(id));
  }
  // An identifier no table has: all hidden, the pane as it was, no table.
  CParams earlier;
  earlier.Add(L"Earlier", L"value");
  pane.ShowDetails(earlier);
  host.ShowTable(42);
  EXPECT_TRUE(visibleIds().empty());
  EXPECT_EQ(host.CurrentTable(), nullptr);
  EXPECT_EQ(Rows(pane), std::vector<std::wstring>{L"Earlier=value"});

  // A size change reaches every table, shown or not.
  MoveWindow(host.Hwnd(), 0, 0, 420, 260, TRUE);
  for (std::int32_t id : ids) {
    RECT r{};
    GetClientRect(host.Table(id)->Hwnd(), &r);
    EXPECT_TRUE(r.right == 420 && r.bottom == 260) << id;
  }

  // Nothing to list: the shown table leaves the pane empty.
  host.ShowTable(3);
  reg.Undo();
  host.RefreshTables();
  EXPECT_TRUE(host.CurrentTable()->TableIsEmpty());
  EXPECT_EQ(pane.Grid().RowCount(), 0);

  // Read again: the toolbar is back, selected and described.
  qlmtest::KindEntries(reg).Add(TableId::kToolbars, qlmtest::kMachine, L"Quill Host Bar", CompanyFile());
  host.RefreshTables();
  ASSERT_GT(pane.Grid().RowCount(), 0);
  EXPECT_EQ(pane.Grid().RowValue(0), CompanyFile());
  EXPECT_EQ(host.CurrentTable()->CurrentObjectName(), L"Quill Host Bar");
}
