// The main window in this process: what it loads, how it lays itself out,
// and the two ways out.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "core/ProgramLog.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "ui/dialogs/MessageOwner.h"
#include "support/WindowProbe.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowHarness.h"
#include "ui/main/TableHost.h"
#include "ui/main/DetailsPane.h"
#include "ui/main/CategoryTree.h"
#include "ui/widgets/DockPanes.h"
#include "ui/widgets/PropertyGrid.h"
#include "ui/widgets/CaptionText.h"
#include "ui/widgets/Ribbon.h"
#include "ui/tables/TableControlBase.h"
#include "ui/widgets/WidgetWindow.h"
#include "support/TestSupport.h"

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

using namespace mainwindowtest;
using namespace qlmtest;

namespace {

int Scaled(HWND hwnd, int px96) { return MulDiv(px96, static_cast<int>(GetDpiForWindow(hwnd)), 96); }

// clientArea fills the main window's client area between the ribbon and
// the status bar, which spans the bottom edge.
void ExpectClientAreaBelowRibbon(MainWindow& main) {
  RECT client{}, pic{}, status{};
  GetClientRect(main.Hwnd(), &client);
  GetWindowRect(main.ClientArea(), &pic);
  MapWindowPoints(nullptr, main.Hwnd(), reinterpret_cast<POINT*>(&pic), 2);
  GetWindowRect(main.Status().Hwnd(), &status);
  MapWindowPoints(nullptr, main.Hwnd(), reinterpret_cast<POINT*>(&status), 2);
  EXPECT_EQ(status.bottom, client.bottom);
  EXPECT_EQ(status.right - status.left, client.right);
  client.top = main.TheRibbon().Height();
  client.bottom = status.top;
  EXPECT_EQ(pic, client);
}

// Every control of the ribbon lies inside it, the filter box as the window
// it is; returns how many groups are folded into drop-downs.
int ExpectRibbonInside(MainWindow& main) {
  Ribbon& ribbon = main.TheRibbon();
  RECT client{}, filter{};
  GetClientRect(ribbon.Hwnd(), &client);
  auto inside = [&](const RECT& r) {
    return r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom;
  };
  // Each button holds its wrapped caption and overlaps no other.
  HDC dc = GetDC(ribbon.Hwnd());
  std::vector<RECT> buttons;
  for (const RibbonSlot& slot : ribbon.Layout().slots) {
    EXPECT_TRUE(inside(slot.rect)) << Narrow(SlotCaption(slot));
    if (slot.part != RibbonPart::Button) continue;
    for (const std::wstring& line : {slot.line1, slot.line2})
      EXPECT_LE(Widgets::TextWidth(dc, ribbon.Font(), CaptionText::Plain(line)), slot.rect.right - slot.rect.left);
    RECT overlap{};
    for (const RECT& other : buttons) EXPECT_FALSE(IntersectRect(&overlap, &other, &slot.rect)) << slot.command->id;
    buttons.push_back(slot.rect);
  }
  ReleaseDC(ribbon.Hwnd(), dc);
  int collapsed = 0;
  for (const RibbonGroupBox& box : ribbon.Layout().groups) {
    EXPECT_TRUE(inside(box.rect)) << Narrow(box.group->caption);
    collapsed += box.collapsed ? 1 : 0;
  }
  GetWindowRect(main.FilterBox(), &filter);
  MapWindowPoints(nullptr, ribbon.Hwnd(), reinterpret_cast<POINT*>(&filter), 2);
  EXPECT_TRUE(inside(filter) && filter.right - filter.left >= ribbon.Scale(100)) << filter.left << "-" << filter.right;
  return collapsed;
}

// Sizes the window's client area, in pixels, at the screen's top left.
void SizeClient(MainWindow& main, int width, int height) {
  RECT rect{0, 0, width, height};
  AdjustWindowRectExForDpi(&rect, GetWindowLongW(main.Hwnd(), GWL_STYLE), FALSE, 0, GetDpiForWindow(main.Hwnd()));
  SetWindowPos(main.Hwnd(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER);
  Pump();
}

std::vector<HWND> gDestroyed;
LRESULT CALLBACK NoteDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_DESTROY) gDestroyed.push_back(hwnd);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Tree on the left, table to its right, details under the table.
void ExpectPanesInPlace(MainWindow& main) {
  DockPanes& panes = main.Panes();
  const struct {
    int pane;
    unsigned title;
    HWND content;
  } expected[] = {{DockPanes::kLeftPane, IDS_PANE_TREE, main.Tree()->Hwnd()},
                  {DockPanes::kMainPane, IDS_PANE_TABLE, main.Host()->Hwnd()},
                  {DockPanes::kBottomPane, IDS_PANE_PROPERTIES, main.Details()->Hwnd()}};
  for (const auto& e : expected) {
    EXPECT_EQ(panes.PaneTitle(e.pane), LoadStr(e.title));
    EXPECT_EQ(panes.PaneContent(e.pane), e.content) << e.title;
  }
  const RECT details = panes.PaneRect(DockPanes::kBottomPane);
  // The details pane shows a record's every row without a scroll bar.
  const int rowsHeight = main.Details()->Grid().LineHeight() * (DetailsPane::kMostRows + 1);
  EXPECT_GE(details.bottom - details.top, rowsHeight + panes.TitleHeight());
  EXPECT_LT(details.bottom - details.top, rowsHeight + panes.TitleHeight() + main.Details()->Grid().LineHeight());
}

// Every shared column is at least as wide as its caption.
void ExpectSharedColumnCaptionsWhole(MainWindow& main) {
  TableControlBase& toolbars = *main.Lists().front();
  HDC dc = GetDC(toolbars.ListHwnd());
  const auto font = reinterpret_cast<HFONT>(SendMessageW(ListView_GetHeader(toolbars.ListHwnd()), WM_GETFONT, 0, 0));
  const std::vector<std::wstring> captions = toolbars.ShownColumnCaptions();
  for (std::size_t column = 1; column < captions.size(); ++column)
    EXPECT_GE(ListView_GetColumnWidth(toolbars.ListHwnd(), static_cast<int>(column)),
              Widgets::TextWidth(dc, font, captions[column]) + Scaled(main.Hwnd(), 12))
        << Narrow(captions[column]);
  ReleaseDC(toolbars.ListHwnd(), dc);
}

}  // namespace

// What a new user sees first: the window centred, its panes in place, the
// start-up backup written while loading and named, every shared column's
// caption whole, the ribbon inside the window at 96 and 144 DPI (at the
// smallest size groups fold into drop-downs offering their commands); then
// resizing and a DPI change keep the layout.
TEST(MainWindow, AtFirstSightThePanesAreInPlaceTheBackupIsNamedAndNothingIsCut) {
  ProgramState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Open());

  // At its first size (RemembersItsPlace...), centred on the work area.
  RECT window{}, work{};
  GetWindowRect(main.Hwnd(), &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 2);

  // Written while loading, before the user could do anything.
  ASSERT_EQ(state.BackupFiles().size(), 1u);
  EXPECT_EQ(dialogs::CurrentMessageOwner().window, main.Hwnd());

  ExpectPanesInPlace(main);
  ExpectClientAreaBelowRibbon(main);

  // The backup by its time ("Backup ... hh-mm-ss.reg"; the file may be done
  // a minute later) and its size.
  const std::wstring backup = state.BackupFiles()[0], status = main.Status().Text(StatusBar::kBackupPart);
  const auto kb = (ReadBytes(state.DataFolder() + L"\\Backup\\" + backup).size() + 1023) / 1024;
  const int begun =
      std::stoi(backup.substr(backup.size() - 12, 2)) * 60 + std::stoi(backup.substr(backup.size() - 9, 2));
  auto named = [&](int minutes) {
    wchar_t text[64] = {};
    swprintf(text, 64, L"Start-up backup: %02d:%02d, %u KB", minutes / 60 % 24, minutes % 60,
             static_cast<unsigned>(kb));
    return status == text;
  };
  EXPECT_TRUE(named(begun) || named(begun + 1)) << Narrow(status);

  ExpectSharedColumnCaptionsWhole(main);

  Ribbon& ribbon = main.TheRibbon();
  EXPECT_EQ(ExpectRibbonInside(main), 0);
  SizeClient(main, Scaled(main.Hwnd(), 720), Scaled(main.Hwnd(), 360));
  EXPECT_GT(ExpectRibbonInside(main), 0);
  std::vector<int> offered;
  ribbon.chooseFromMenu = [&](HMENU menu, POINT) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) offered.push_back(static_cast<int>(GetMenuItemID(menu, i)));
    return 0;
  };
  for (const RibbonSlot& slot : ribbon.Layout().slots) {
    if (slot.part != RibbonPart::GroupMenu) continue;
    offered.clear();
    const LPARAM at = MAKELPARAM(slot.rect.left + 2, slot.rect.top + 2);
    SendMessageW(ribbon.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(ribbon.Hwnd(), WM_LBUTTONUP, 0, at);
    Pump();
    ASSERT_EQ(offered.size(), slot.group->buttons.size());
    for (std::size_t i = 0; i < offered.size(); ++i) EXPECT_EQ(offered[i], slot.group->buttons[i].id);
  }
  // Their access letters still run them: B is Backup, which says whether
  // a file was written, and never that it worked when none could be.
  auto runBackup = [&] {
    DialogAnswerer answer({L"OK"});
    EXPECT_TRUE(ribbon.HandleAccessKey(L'B'));
    Pump();
    const auto seen = answer.StopAndSeen();
    EXPECT_FALSE(main.Busy()) << "the hourglass stays";
    return seen.size() == 1 ? seen[0].texts : L"(" + std::to_wstring(seen.size()) + L" messages)";
  };
  EXPECT_NE(runBackup().find(LoadStr(IDS_BACKUP_DONE)), std::wstring::npos);
  EXPECT_EQ(main.Status().Text(StatusBar::kBackupPart).rfind(L"Last backup: ", 0), 0u);
  const std::wstring folder = state.DataFolder() + L"\\Backup";
  ASSERT_TRUE(MoveFileW(folder.c_str(), (folder + L"-moved").c_str()));
  WriteBytes(folder, "not a folder");
  const std::wstring failed = runBackup();
  EXPECT_NE(failed.find(LoadStr(IDS_BACKUP_FAILED)), std::wstring::npos) << Narrow(failed);
  EXPECT_EQ(failed.find(LoadStr(IDS_BACKUP_DONE)), std::wstring::npos);
  ribbon.SetDpiOverride(144);
  SizeClient(main, MulDiv(963, 144, 96), MulDiv(501, 144, 96));
  EXPECT_EQ(ExpectRibbonInside(main), 0);

  // clientArea keeps exactly the area under the ribbon, also after resizing.
  ExpectClientAreaBelowRibbon(main);
  SetWindowPos(main.Hwnd(), nullptr, 0, 0, 900, 520, SWP_NOZORDER | SWP_NOMOVE);
  ExpectClientAreaBelowRibbon(main);

  // A DPI change takes the suggested rectangle and lays out again.
  RECT suggested{40, 30, 40 + 1300, 30 + 820};
  SendMessageW(main.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  // The display server confirms sizes on its own time: under load a late
  // answer to the earlier resize can pass through first.
  for (int wait = 0; wait < 40; ++wait) {
    GetWindowRect(main.Hwnd(), &window);
    if (window == suggested) break;
    Pump();
    Sleep(50);
  }
  EXPECT_EQ(window, suggested);
  ExpectClientAreaBelowRibbon(main);

  // The tree's choice reaches the table host unchanged. One table shows at
  // a time and every one has the host's size, shown or not; an identifier
  // no table has shows none and leaves the details as they were.
  main.ShowCategory(6);
  EXPECT_EQ(main.Host()->CurrentId(), 6);
  main.Tree()->ShowTable(4);
  EXPECT_EQ(main.Host()->CurrentId(), 4);
  auto details = [&] {
    std::wstring text;
    for (int row = 0; row < main.Details()->Grid().RowCount(); ++row) text += main.Details()->Grid().RowValue(row) + L"\n";
    return text;
  };
  const std::wstring before = details();
  main.ShowCategory(42);
  EXPECT_EQ(main.Host()->CurrentTable(), nullptr);
  EXPECT_EQ(details(), before);
  RECT host{}, table{};
  GetClientRect(main.Host()->Hwnd(), &host);
  for (const discovery::AddonKind& kind : discovery::AddonKinds()) {
    const HWND shown = main.Host()->Table(kind.id)->Hwnd();
    GetClientRect(shown, &table);
    EXPECT_TRUE(table == host && !IsWindowVisible(shown)) << kind.id;
  }
  main.Destroy();
}

TEST(MainWindow, CloseAndExitEndTheSameWayDestroyingTreeHostAndDetailsInOrder) {
  struct Way {
    const char* name;
    UINT message;
    WPARAM wParam;
  } ways[] = {{"close box", WM_CLOSE, 0}, {"Exit command", WM_COMMAND, MAKEWPARAM(Commands::kExit, 0)}};
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    ProgramState state;
    MainWindow main(state.Files(), state.Data());
    ASSERT_TRUE(main.Open());
    const std::vector<HWND> panes = {main.Tree()->Hwnd(), main.Host()->Hwnd(), main.Details()->Hwnd()};
    for (HWND pane : panes) SetWindowSubclass(pane, &NoteDestroy, 1, 0);
    gDestroyed.clear();

    // The request only sets the exit flag; RunUntilClosed's loop then destroys the window.
    SendMessageW(main.Hwnd(), way.message, way.wParam, 0);
    EXPECT_TRUE(main.ExitRequested());
    EXPECT_TRUE(IsWindow(main.Hwnd()));
    PostMessageW(main.Hwnd(), way.message, way.wParam, 0);
    main.RunUntilClosed();

    EXPECT_EQ(main.Hwnd(), nullptr);
    EXPECT_EQ(gDestroyed, panes) << "tree, table host, details";
    EXPECT_EQ(dialogs::CurrentMessageOwner().window, nullptr);
    EXPECT_EQ(main.Tree(), nullptr);
  }
}

TEST(MainWindow, F6MovesFromPaneToPaneAndTheTreeChoosesTheTable) {
  ProgramState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Open());
  const HWND tree = main.Tree()->TreeHwnd();
  const HWND list = CurrentList(main);
  const HWND grid = main.Details()->Grid().Hwnd();
  ASSERT_TRUE(tree && list && grid);
  // The tree has the focus once the window is shown.
  ASSERT_EQ(GetFocus(), tree);

  // F6 as the message loop sees it, with Shift up or down.
  std::vector<HWND> forward, backward;
  for (int i = 0; i < 6; ++i) {
    std::optional<KeysHeld> shift;
    if (i >= 3) shift.emplace(VK_SHIFT);
    EXPECT_TRUE(main.TakeKeyBeforeDispatch(MSG{GetFocus(), WM_KEYDOWN, VK_F6, 0, 0, {}}));
    (i < 3 ? forward : backward).push_back(GetFocus());
  }
  EXPECT_EQ(forward, (std::vector<HWND>{list, grid, tree}));
  EXPECT_EQ(backward, (std::vector<HWND>{grid, list, tree}));
  // Other keys go on to the focused control.
  EXPECT_FALSE(main.TakeKeyBeforeDispatch(MSG{tree, WM_KEYDOWN, VK_F9, 0, 0, {}}));
  EXPECT_EQ(GetFocus(), tree);

  // In the tree, one node per kind: the arrow keys and the mouse choose the
  // table, the program's own selection does not.
  std::vector<HTREEITEM> items;
  std::vector<std::int32_t> ids;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
    TVITEMW node{};
    node.mask = TVIF_PARAM;
    node.hItem = item;
    TreeView_GetItem(tree, &node);
    items.push_back(item);
    ids.push_back(static_cast<std::int32_t>(node.lParam));
  }
  ASSERT_EQ(ids.size(), discovery::AddonKinds().size());
  const std::pair<UINT, std::int32_t> keys[] = {{VK_DOWN, ids[1]}, {VK_END, ids.back()}, {VK_HOME, ids[0]}};
  for (const auto& [key, shown] : keys) {
    Key(tree, key);
    EXPECT_EQ(main.Host()->CurrentId(), shown) << key;
  }
  RECT r{};
  TreeView_GetItemRect(tree, items[2], &r, TRUE);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(tree, WM_LBUTTONUP, 0, at);
  SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Pump();
  EXPECT_EQ(main.Host()->CurrentId(), ids[2]);
  TreeView_SelectItem(tree, items[4]);
  Pump();
  EXPECT_EQ(main.Host()->CurrentId(), ids[2]);
  main.Destroy();
}

TEST(MainWindow, RemembersItsPlaceAndPanesUnlessOffEveryScreenOrNotNumbers) {
  ProgramState state;
  ScratchKey key(HKEY_CURRENT_USER, L"Place");
  core::DataFolder data = state.Data();
  data.settingsKey = key.Path();
  RECT window{}, client{};
  int tree = 0;
  bool zoomed = false;
  // A start: where the window opens and the tree's width (at 96 DPI); what
  // change leaves is remembered for the next.
  auto start = [&](const std::function<void(MainWindow&)>& change) {
    MainWindow main(state.Files(), data);
    ASSERT_TRUE(main.Open());
    zoomed = IsZoomed(main.Hwnd()) != FALSE;
    GetWindowRect(main.Hwnd(), &window);
    GetClientRect(main.Hwnd(), &client);
    const RECT pane = main.Panes().PaneRect(DockPanes::kLeftPane);
    tree = MulDiv(pane.right - pane.left, 96, static_cast<int>(GetDpiForWindow(main.Hwnd())));
    if (change) change(main);
    main.Destroy();
  };
  const RECT placed{60, 50, 1160, 750};
  start([&](MainWindow& main) {
    SetWindowPos(main.Hwnd(), nullptr, placed.left, placed.top, 1100, 700, SWP_NOZORDER);
    main.Panes().SetLeftWidth(260);
  });
  start([](MainWindow& main) { ShowWindow(main.Hwnd(), SW_MAXIMIZE); });
  EXPECT_EQ(window, placed);
  EXPECT_EQ(tree, 260);
  // Maximised again; leaving it keeps its normal place and the new tree width.
  start([](MainWindow& main) { main.Panes().SetLeftWidth(300); });
  EXPECT_TRUE(zoomed);
  auto stored = [&](const wchar_t* name) {
    DWORD type = 0, value = 0;
    std::vector<unsigned char> bytes;
    if (RawValue(HKEY_CURRENT_USER, key.Path(), name, type, bytes) && bytes.size() == 4)
      memcpy(&value, bytes.data(), 4);
    return static_cast<int>(value);
  };
  EXPECT_TRUE(stored(L"WindowLeft") == placed.left && stored(L"WindowMaximized") == 1 && stored(L"TreeWidth") == 300);
  // Off every screen, or a value that is no REG_DWORD: the first size.
  SetDword(HKEY_CURRENT_USER, key.Path(), L"WindowLeft", 20000);
  start(nullptr);
  EXPECT_EQ(client.right, Scaled(GetDesktopWindow(), 963));
  const unsigned long long wide = 1100;
  SetValue(HKEY_CURRENT_USER, key.Path(), L"WindowWidth", REG_QWORD, &wide, sizeof wide);
  start(nullptr);
  EXPECT_EQ(client.bottom, Scaled(GetDesktopWindow(), 501));
}
