#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "app/WindowProbe.h"
#include "ozcore/CParams.h"
#include "tables/TableTestKit.h"
#include "ui/main/FMultitable.h"
#include "ui/main/FProperties.h"
#include "ui/main/FTV.h"
#include "ui/tables/ITableControl.h"
#include "ui/widgets/PropertyGrid.h"

using namespace tabletest;

namespace {

// The shared test window, with COM for the images.
class Window {
 public:
  Window() : hwnd_(SharedHost()) { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~Window() {
    Pump();
    CoUninitialize();
  }
  HWND Hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

std::vector<std::wstring> Rows(FProperties& pane) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < pane.Grid().RowCount(); ++i) rows.push_back(pane.Grid().RowName(i) + L"=" + pane.Grid().RowValue(i));
  return rows;
}

CParams Details(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> entries) {
  CParams details;
  for (const auto& [name, value] : entries) details.Add(name, std::wstring(value));
  return details;
}

bool Visible(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace

TEST(UiPanesDetails, ShowsTheRowsGivenUnderOneHeadingAndNeverMore) {
  Window window;
  FProperties pane;
  ASSERT_TRUE(pane.Create(window.Hwnd()));
  pane.Init();
  EXPECT_EQ(pane.Grid().Category(), L"Details");
  EXPECT_TRUE(pane.Grid().Expanded());
  EXPECT_EQ(pane.Grid().RowCount(), 0);

  pane.ShowDetails(Details({{L"File", L"C:\\a.dll"}, {L"Manufacturer", L"Maker"}, {L"Affected users", L""}}));
  EXPECT_EQ(Rows(pane), (std::vector<std::wstring>{L"File=C:\\a.dll", L"Manufacturer=Maker", L"Affected users="}));
  pane.ShowDetails(Details({{L"File", L"C:\\b.dll"}, {L"Affected users", L"Everyone"}}));
  EXPECT_EQ(Rows(pane), (std::vector<std::wstring>{L"File=C:\\b.dll", L"Affected users=Everyone"}));
  pane.ShowDetails(CParams());
  EXPECT_EQ(pane.Grid().RowCount(), 0);
  EXPECT_EQ(pane.Grid().Category(), L"Details");

  // The grid covers the pane.
  MoveWindow(pane.Hwnd(), 0, 0, 300, 120, TRUE);
  RECT grid{};
  GetWindowRect(pane.Grid().Hwnd(), &grid);
  EXPECT_EQ(grid.right - grid.left, 300);
  EXPECT_EQ(grid.bottom - grid.top, 120);
}

TEST(UiPanesTree, ListsTheFiveKindsAndRaisesOnlyTheUsersChoice) {
  Window window;
  FTV tree;
  std::vector<std::int32_t> raised;
  tree.ShowTable = [&](std::int32_t id) { raised.push_back(id); };
  ASSERT_TRUE(tree.Create(window.Hwnd()));
  MoveWindow(tree.Hwnd(), 0, 0, 250, 300, TRUE);
  Pump();
  EXPECT_TRUE(raised.empty());

  HWND tv = tree.TreeHwnd();
  const std::pair<std::int32_t, std::wstring> nodes[] = {{3, L"Toolbars"},
                                                         {4, L"Toolbar Buttons and Menus"},
                                                         {5, L"Context Menu Extensions"},
                                                         {6, L"Explorer Bars"},
                                                         {7, L"Browser Helper Objects"}};
  ASSERT_EQ(TreeView_GetCount(tv), 5u);
  std::vector<HTREEITEM> items;
  HTREEITEM item = TreeView_GetRoot(tv);
  for (const auto& [id, text] : nodes) {
    ASSERT_NE(item, nullptr);
    wchar_t buf[128] = {};
    TVITEMW tvi{};
    tvi.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE;
    tvi.hItem = item;
    tvi.pszText = buf;
    tvi.cchTextMax = 128;
    TreeView_GetItem(tv, &tvi);
    EXPECT_EQ(buf, text);
    EXPECT_EQ(tvi.lParam, id);
    EXPECT_EQ(tvi.iImage, 0);
    EXPECT_EQ(TreeView_GetParent(tv, item), nullptr);
    items.push_back(item);
    item = TreeView_GetNextSibling(tv, item);
  }
  EXPECT_NE(TreeView_GetImageList(tv, TVSIL_NORMAL), nullptr);
  EXPECT_EQ(TreeView_GetSelection(tv), items[0]);
  // The caption strip sits above the tree.
  HWND caption = GetWindow(tree.Hwnd(), GW_CHILD);
  while (caption && qlmtest::WindowText(caption) != L"All Add-ons") caption = GetWindow(caption, GW_HWNDNEXT);
  ASSERT_NE(caption, nullptr);
  RECT captionRect{}, treeRect{};
  GetWindowRect(caption, &captionRect);
  GetWindowRect(tv, &treeRect);
  EXPECT_EQ(captionRect.bottom, treeRect.top);

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
  EXPECT_EQ(raised, (std::vector<std::int32_t>{4, 7, 3}));
  RECT r{};
  TreeView_GetItemRect(tv, items[2], &r, TRUE);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(tv, WM_LBUTTONUP, 0, at);
  SendMessageW(tv, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Pump();
  EXPECT_EQ(raised, (std::vector<std::int32_t>{4, 7, 3, 5}));
  TreeView_SelectItem(tv, items[4]);
  Pump();
  EXPECT_EQ(raised.size(), 4u);
}

TEST(UiPanesHost, ShowsOneTableAtATimeAndKeepsTheDetailsInStep) {
  Addons addons;
  const std::wstring toolbar = addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Host Bar", CompanyFile());
  Window window;
  FProperties pane;
  ASSERT_TRUE(pane.Create(window.Hwnd()));
  pane.Init();
  FMultitable host;
  ASSERT_TRUE(host.Create(window.Hwnd()));

  // Before Init nothing is filed, and a size change moves no table.
  EXPECT_EQ(host.CurrentTable(), nullptr);
  MoveWindow(host.Hwnd(), 0, 0, 500, 300, TRUE);
  RECT r{};
  GetClientRect(host.Table(3)->Hwnd(), &r);
  EXPECT_EQ(r.right, 0);

  host.Init(&pane, nullptr, nullptr);
  const std::int32_t ids[] = {3, 4, 5, 6, 7};
  auto visibleIds = [&] {
    std::vector<std::int32_t> visible;
    for (std::int32_t id : ids)
      if (Visible(host.Table(id)->Hwnd())) visible.push_back(id);
    return visible;
  };
  EXPECT_EQ(visibleIds(), std::vector<std::int32_t>{3});
  ASSERT_NE(host.CurrentTable(), nullptr);
  EXPECT_EQ(host.CurrentTable()->ID(), 3);
  for (std::int32_t id : ids) {
    GetClientRect(host.Table(id)->Hwnd(), &r);
    EXPECT_EQ(r.right, 500);
    EXPECT_EQ(r.bottom, 300);
  }
  // The toolbar table's selected row is in the pane.
  ASSERT_FALSE(pane.Grid().RowCount() == 0);
  EXPECT_EQ(host.CurrentTable()->CurrentFullFileName(), pane.Grid().RowValue(0));

  for (std::int32_t id : ids) {
    host.ShowTable(id);
    EXPECT_EQ(visibleIds(), std::vector<std::int32_t>{id});
    EXPECT_EQ(host.CurrentTable(), host.Table(id));
  }
  // An identifier no table has: all hidden, the pane as it was, no table.
  pane.ShowDetails(Details({{L"Earlier", L"value"}}));
  host.ShowTable(9);
  EXPECT_TRUE(visibleIds().empty());
  EXPECT_EQ(host.CurrentTable(), nullptr);
  EXPECT_EQ(Rows(pane), std::vector<std::wstring>{L"Earlier=value"});

  // A size change reaches every table, shown or not.
  MoveWindow(host.Hwnd(), 0, 0, 420, 260, TRUE);
  for (std::int32_t id : ids) {
    GetClientRect(host.Table(id)->Hwnd(), &r);
    EXPECT_EQ(r.right, 420);
    EXPECT_EQ(r.bottom, 260);
  }

  // Nothing to list: the shown table leaves the pane empty.
  host.ShowTable(3);
  {
    EmptyRegistry nothing;
    host.RefreshTables();
  }
  EXPECT_EQ(visibleIds(), std::vector<std::int32_t>{3});
  EXPECT_TRUE(host.CurrentTable()->TableIsEmpty());
  EXPECT_EQ(pane.Grid().RowCount(), 0);
  EXPECT_EQ(pane.Grid().Category(), L"Details");

  // Read again: the toolbar is back, selected and described.
  host.RefreshTables();
  EXPECT_EQ(visibleIds(), std::vector<std::int32_t>{3});
  EXPECT_FALSE(host.CurrentTable()->TableIsEmpty());
  ASSERT_GT(pane.Grid().RowCount(), 0);
  EXPECT_EQ(pane.Grid().RowValue(0), CompanyFile());
  EXPECT_EQ(host.CurrentTable()->CurrentObjectName(), L"Quill Host Bar");
  (void)toolbar;
}
