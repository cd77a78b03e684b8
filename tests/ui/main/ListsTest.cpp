// The lists people work in, in the real window over toolbars of our own:
// the shared columns, sorting by a header, the filter across every table,
// Save List as CSV and HTML, Open in Registry Editor, the status bar, and
// what is new since the last start.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/Strings.h"
#include "inventory/InventoryFiles.h"
#include "inventory/InventoryText.h"
#include "ozcore/CRegistry.h"
#include "qmscan/ParseBack.h"
#include "support/HostileRegistry.h"
#include "support/LogLines.h"
#include "ui/main/CategoryTree.h"
#include "ui/main/CommandTable.h"
#include "ui/main/DetailsPane.h"
#include "ui/main/MainWindowHarness.h"
#include "ui/main/MainWindow.h"
#include "ui/main/TableHost.h"
#include "ui/tables/TableControlBase.h"
#include "ui/widgets/PropertyGrid.h"

using namespace mainwindowtest;
using namespace qlmtest;

namespace {

constexpr wchar_t kRegedit[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

TableControlBase& Toolbars(MainWindow& main) { return *main.Lists().front(); }

// A header click as the list reports it to its table.
void ClickHeader(TableControlBase& table, int column) {
  NMLISTVIEW click{};
  click.hdr = {table.ListHwnd(), 2, static_cast<UINT>(LVN_COLUMNCLICK)};
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageW(table.Hwnd(), WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&click));
}

int HeaderFormat(TableControlBase& table, int column) {
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(table.ListHwnd()), column, &item);
  return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

std::wstring DetailsText(MainWindow& main) {
  std::wstring text;
  PropertyGrid& grid = main.Details()->Grid();
  for (int row = 0; row < grid.RowCount(); ++row) text += grid.RowName(row) + L"=" + grid.RowValue(row) + L"\n";
  return text;
}

// A click on the category already selected shows its details again.
void ExpectAClickOnTheSelectedCategoryShowsItsDetails(MainWindow& main) {
  main.Details()->ShowDetails(CParams());
  EXPECT_EQ(DetailsText(main), L"");
  HWND tree = main.Tree()->TreeHwnd();
  RECT item{};
  const HTREEITEM selected = TreeView_GetSelection(tree);
  ASSERT_NE(selected, nullptr);
  TreeView_GetItemRect(tree, selected, &item, TRUE);
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(tree, &at);
  SetCursorPos(at.x, at.y);
  NMHDR click{tree, static_cast<UINT_PTR>(GetDlgCtrlID(tree)), static_cast<UINT>(NM_CLICK)};
  SendMessageW(GetParent(tree), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
  EXPECT_NE(DetailsText(main), L"");
}

class Lists : public WindowOverToolbars {
 protected:
  void Filter(const std::wstring& text) {
    SetWindowTextW(main_.FilterBox(), text.c_str());
    Pump();
  }
  int RowOfName(TableControlBase& table, const std::wstring& name) {
    for (int row = 0; row < ListView_GetItemCount(table.ListHwnd()); ++row)
      if (const CResultNode* record = table.RecordAt(row); record && record->ID == name) return row;
    return -1;
  }

  void ExpectSortedBothWaysKeepingTheSelection(TableControlBase& table, int zebra) {
    // Sorting by name, then the other way: the arrow follows, the selected
    // record stays selected and described.
    ListView_SetItemState(table.ListHwnd(), zebra, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    for (int click = 0; click < 2; ++click) {
      ClickHeader(table, 0);
      const bool ascending = click == 0;
      EXPECT_EQ(HeaderFormat(table, 0), ascending ? HDF_SORTUP : HDF_SORTDOWN);
      EXPECT_EQ(HeaderFormat(table, 1), 0);
      // The order itself is RowView's (tests/native/RowViewTest.cpp); here it reaches the list.
      EXPECT_EQ(RowOfName(table, zebra_.Clsid()) < RowOfName(table, aardvark_.Clsid()), !ascending);
      const int selected = ListView_GetNextItem(table.ListHwnd(), -1, LVNI_SELECTED);
      ASSERT_GE(selected, 0);
      EXPECT_EQ(table.RecordAt(selected)->ID, zebra_.Clsid());
      EXPECT_NE(DetailsText(main_).find(L"qlmbar.dll"), std::wstring::npos);
    }
  }

  void ExpectFilterOverEveryTable(TableControlBase& table, std::size_t total) {
    // The filter, through its box: every table at once, counted in the
    // caption and the status bar; a table without a match says so.
    Filter(L"  aardvark " + pid_);
    EXPECT_EQ(table.ShownCount(), 1u);
    EXPECT_EQ(table.Caption().Text(), L"Toolbars (1 of " + std::to_wstring(total) + L" shown)");
    EXPECT_NE(DetailsText(main_).find(L"qlmbar.dll"), std::wstring::npos);
    for (TableControlBase* other : main_.Lists()) {
      if (other == &table) continue;
      EXPECT_EQ(other->ShownCount(), 0u) << other->Kind().scanName;
      if (other->RecordCount() == 0) continue;
      wchar_t text[256] = {};
      ListView_GetItemText(other->ListHwnd(), 0, 0, text, 256);
      EXPECT_STREQ(text, L"No add-on matches the filter.");
    }
    EXPECT_EQ(main_.Status().Text(StatusBar::kFilterPart).rfind(L"Filter: 1 of ", 0), 0u)
        << Narrow(main_.Status().Text(StatusBar::kFilterPart));

    // F3 reaches the box; Esc there clears it.
    MSG key{main_.Hwnd(), WM_KEYDOWN, VK_F3, 0, 0, {}};
    EXPECT_TRUE(main_.TakeKeyBeforeDispatch(key));
    EXPECT_EQ(GetFocus(), main_.FilterBox());
    key = {main_.FilterBox(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(main_.TakeKeyBeforeDispatch(key));
    Pump();
    EXPECT_EQ(table.ShownCount(), total);
    EXPECT_EQ(table.Caption().Text(), L"Toolbars");
    EXPECT_EQ(main_.Status().Text(StatusBar::kFilterPart), L"");
  }

  void ExpectHeaderMenuHidesAndShowsAColumn(TableControlBase& table) {
    // The header's menu lists the shared columns, checked while shown; the
    // name column is not in it. Choosing one hides it, and again shows it.
    RECT header{};
    GetWindowRect(ListView_GetHeader(table.ListHwnd()), &header);
    std::vector<std::wstring> offered;
    auto rightClickHeader = [&] {
      SendMessageW(table.Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(table.ListHwnd()),
                   MAKELPARAM(header.left + 5, header.top + 2));
    };
    table.List().chooseFromMenu = [&](HMENU menu, POINT) {
      offered.clear();
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        offered.push_back(std::wstring(text) +
                          ((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) ? L"+" : L"-"));
      }
      return static_cast<int>(GetMenuItemID(menu, 0));  // Publisher
    };
    rightClickHeader();
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered[0], L"Publisher+");
    EXPECT_EQ(std::find(offered.begin(), offered.end(), L"Toolbar+"), offered.end());
    EXPECT_EQ(table.ShownColumnCaptions()[1], L"File");
    rightClickHeader();
    EXPECT_EQ(offered[0], L"Publisher-");
    EXPECT_EQ(table.ShownColumnCaptions()[1], L"Publisher");
    table.List().chooseFromMenu = nullptr;
  }

  void ExpectStatusCountsAndOpensTheBackupFolder(std::size_t total) {
    // The status bar counts every kind; a click on the start-up backup's
    // part (its text: MainWindow.AtFirstSight...) opens its folder.
    EXPECT_NE(main_.Status().Text(StatusBar::kCountsPart).find(L"Toolbars: " + std::to_wstring(total)),
              std::wstring::npos);
    ASSERT_EQ(state_.BackupFiles().size(), 1u);
    RECT part{};
    SendMessageW(main_.Status().Hwnd(), SB_GETRECT, StatusBar::kBackupPart, reinterpret_cast<LPARAM>(&part));
    NMMOUSE click{};
    click.hdr = {main_.Status().Hwnd(), 102, static_cast<UINT>(NM_CLICK)};
    click.pt = {part.left + 2, part.top + 2};
    SendMessageW(main_.Hwnd(), WM_NOTIFY, 102, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(folders_, std::vector<std::wstring>{state_.DataFolder() + L"\\Backup\\"});
  }
};

}  // namespace

TEST_F(Lists, SharedColumnsSortingAndTheFilterFollowTheRecord) {
  TableControlBase& table = Toolbars(main_);
  const int zebra = RowOfName(table, zebra_.Clsid());
  ASSERT_GE(zebra, 0);
  // The file and the users (the scope) in their columns.
  wchar_t cell[512] = {};
  ListView_GetItemText(table.ListHwnd(), zebra, 2, cell, 512);
  EXPECT_EQ(_wcsicmp(cell, zebra_.File().c_str()), 0) << Narrow(cell);
  ListView_GetItemText(table.ListHwnd(), zebra, 4, cell, 512);
  EXPECT_EQ(cell, LoadStr(IDS_SCOPE_EVERYONE));

  const std::size_t total = table.RecordCount();
  ExpectSortedBothWaysKeepingTheSelection(table, zebra);
  ExpectFilterOverEveryTable(table, total);
  ExpectHeaderMenuHidesAndShowsAColumn(table);
  ExpectStatusCountsAndOpensTheBackupFolder(total);
}

TEST_F(Lists, SaveListWritesQmscansRowsOrAReportOfTheShownRows) {
  TempFolder out;
  std::vector<std::wstring> suggested;
  SaveChoice choice{out.File(L"all.csv"), false};
  main_.Shell().chooseSaveFile = [&](const std::wstring& name, HWND owner) -> std::optional<SaveChoice> {
    EXPECT_EQ(owner, main_.Hwnd());
    suggested.push_back(name);
    return choice;
  };
  main_.RunCommand(Commands::kSaveList);
  ASSERT_EQ(suggested.size(), 1u);  // the name itself: tests/native/RowViewTest.cpp

  // Every table's rows, read back, are qmscan's rows.
  // UTF-8 with a byte-order mark, for spreadsheets.
  EXPECT_EQ(ReadBytes(choice.path).rfind("\xEF\xBB\xBF", 0), 0u);
  std::vector<std::vector<std::wstring>> rows, scanned;
  ASSERT_TRUE(ParseCsv(ReadUtf8File(choice.path), rows));
  ASSERT_EQ(RunProcessTo(L"\"" + DistFolder() + L"\\qmscan.exe\"", out.File(L"qmscan.csv")), 0);
  ASSERT_TRUE(ParseCsv(ReadUtf8File(out.File(L"qmscan.csv")), scanned));
  std::sort(rows.begin() + 1, rows.end());
  std::sort(scanned.begin() + 1, scanned.end());
  EXPECT_EQ(rows, scanned);
  EXPECT_GE(rows.size(), 3u);

  // Filtered: the header and the one row shown.
  Filter(L"zebra " + pid_);
  choice = {out.File(L"zebra.csv"), false};
  main_.RunCommand(Commands::kSaveList);
  ASSERT_TRUE(ParseCsv(ReadUtf8File(choice.path), rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][0], L"toolbar");
  EXPECT_EQ(rows[1][1], zebra_.Clsid());

  // The report: one table per kind with the shown columns, the filtered
  // rows only.
  choice = {out.File(L"zebra.html"), true};
  main_.RunCommand(Commands::kSaveList);
  std::vector<HtmlTable> report;
  ASSERT_TRUE(ParseHtmlReport(ReadUtf8File(choice.path), report));
  ASSERT_EQ(report.size(), main_.Lists().size());
  EXPECT_EQ(report[0].first, L"Toolbars");
  ASSERT_EQ(report[0].second.size(), 2u);  // header row, one add-on
  EXPECT_EQ(report[0].second[0], Toolbars(main_).ShownColumnCaptions());
  EXPECT_EQ(report[0].second[1][0], zebra_.Name());
  EXPECT_EQ(_wcsicmp(report[0].second[1][2].c_str(), zebra_.File().c_str()), 0);

  // A file that cannot be written is said, and nothing claims success.
  choice = {out.File(L"no such folder\\list.csv"), false};
  DialogAnswerer answer({L"OK"});
  main_.RunCommand(Commands::kSaveList);
  const auto shown = answer.StopAndSeen();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].texts.find(L"The list could not be saved to "), std::wstring::npos) << Narrow(shown[0].texts);
}

TEST_F(Lists, OpenInRegistryEditorSetsItsLastKeyThenStartsIt) {
  CRegistry registry;
  std::wstring before;
  const bool hadLastKey = registry.ReadString(HKEY_CURRENT_USER, kRegedit, L"LastKey", before);
  int started = 0;
  std::wstring lastKeyWhenStarted;
  main_.Shell().startRegistryEditor = [&] {
    ++started;
    CRegistry(RegView::Default).ReadString(HKEY_CURRENT_USER, kRegedit, L"LastKey", lastKeyWhenStarted);
  };
  HWND list = CurrentList(main_);
  ASSERT_TRUE(SelectRow(list, zebra_.Name()));
  main_.RunCommand(Commands::kRowOpenInRegistryEditor);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(lastKeyWhenStarted, L"Computer\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Toolbar");
  const auto log = state_.LogRecords();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), L"L5  #0  FMain.OpenInRegistryEditor  Opened the registry editor at " + lastKeyWhenStarted + L".");

  // A key name with a NUL would open another key: refused, said and
  // logged; the editor is not started and its last key stays.
  const std::wstring menus = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
  const std::wstring hidden = L"Qlm Lists" + std::wstring(1, L'\0') + L"Hidden " + pid_;
  struct Removed {
    std::wstring path, name;
    ~Removed() { hostile::DeleteTree(HKEY_CURRENT_USER, path, name); }
  } removed{menus, hidden};
  hostile::SetString(hostile::CreateKey(HKEY_CURRENT_USER, menus, hidden).get(), L"", L"res://C:\\x.dll/x.htm");
  main_.RunCommand(Commands::kRefresh);
  main_.ShowCategory(TableId::kMenuExtensions);
  ASSERT_TRUE(SelectRow(CurrentList(main_), L"Qlm Lists^@Hidden " + pid_));
  DialogAnswerer answer({L"OK"});
  main_.RunCommand(Commands::kRowOpenInRegistryEditor);
  const auto shown = answer.StopAndSeen();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].texts.find(L"holds a character the Registry Editor cannot open; nothing was started."),
            std::wstring::npos)
      << Narrow(shown[0].texts);
  EXPECT_EQ(started, 1);
  std::wstring lastKey;
  registry.ReadString(HKEY_CURRENT_USER, kRegedit, L"LastKey", lastKey);
  EXPECT_EQ(lastKey, lastKeyWhenStarted);
  const std::wstring record = state_.LogRecords().back();
  EXPECT_EQ(record.rfind(L"L4  #0  FMain.OpenInRegistryEditor  The registry editor was not started: the key ", 0), 0u);
  EXPECT_TRUE(record.ends_with(menus + L"\\Qlm Lists^@Hidden " + pid_ + L" holds a NUL.")) << Narrow(record);
  if (hadLastKey)
    registry.WriteString(HKEY_CURRENT_USER, kRegedit, L"LastKey", before);
  else
    registry.DeleteValue(HKEY_CURRENT_USER, kRegedit, L"LastKey");
}

TEST(ListsAcrossStarts, WhatIsNewIsMarkedAndWhatIsGoneIsLogged) {
  const std::wstring pid_ = std::to_wstring(GetCurrentProcessId());
  ProgramState state;
  FixtureToolbar kept(L"Qlm Kept Bar " + pid_);
  auto gone = std::make_unique<FixtureToolbar>(L"Qlm Gone Bar " + pid_);
  {
    MainWindow first(state.Files(), state.Data());
    ASSERT_TRUE(first.Open());
    // Nothing to compare with at the first start: nothing is new.
    EXPECT_EQ(Toolbars(first).NewCount(), 0u);
    first.Destroy();
  }
  gone.reset();
  FixtureToolbar added(L"Qlm Added Bar " + pid_);
  MainWindow second(state.Files(), state.Data());
  ASSERT_TRUE(second.Open());
  TableControlBase& table = Toolbars(second);
  EXPECT_EQ(table.NewCount(), 1u);
  EXPECT_NE(table.Caption().Text().find(L"1 new"), std::wstring::npos) << Narrow(table.Caption().Text());
  HWND list = CurrentList(second);
  ASSERT_TRUE(SelectRow(list, added.Name()));
  Pump();
  EXPECT_NE(DetailsText(second).find(L"First seen=New since the last start"), std::wstring::npos)
      << Narrow(DetailsText(second));
  ASSERT_TRUE(SelectRow(list, kept.Name()));
  Pump();
  EXPECT_NE(DetailsText(second).find(L"First seen=Listed at an earlier start"), std::wstring::npos);

  // Each start saved its inventory; the gone toolbar and the new one are in
  // the log.
  const auto log = state.LogRecords();
  auto logged = [&](const std::wstring& start) {
    return std::any_of(log.begin(), log.end(), [&](const std::wstring& line) {
      return line.rfind(L"L5  #0  FMain.SaveInventory  " + start, 0) == 0;
    });
  };
  EXPECT_TRUE(logged(L"Gone: toolbar \"Qlm Gone Bar " + pid_ + L"\""));
  EXPECT_TRUE(logged(L"New: toolbar \"Qlm Added Bar " + pid_ + L"\""));
  EXPECT_EQ(inventory::EarlierInventories(state.DataFolder() + L"\\Backup", L"").size(), 2u);

  ExpectAClickOnTheSelectedCategoryShowsItsDetails(second);
  second.Destroy();
}

// Every file of a folder tree with its bytes, by its full path.
static std::map<std::wstring, std::string> FilesUnder(const std::wstring& root) {
  std::map<std::wstring, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[entry.path().wstring()] = ReadBytes(entry.path().wstring());
  return files;
}

// An offline system (a folder as its drive C:, its software hive not closed
// cleanly) in the window: its rows are qmscan's of the same folder, the
// caption and the status bar say it, nothing in it or in this computer is
// changed, and Back to This Computer lists this computer again.
TEST_F(Lists, AnOfflineSystemIsListedReadOnlyThenThisComputerAgain) {
  TempFolder image;
  const std::wstring config = image.File(L"Windows\\System32\\config"), quill = image.File(L"Quill");
  std::filesystem::create_directories(config);
  std::filesystem::create_directories(quill);
  std::string hive = ReadBytes(FixtureFolder() + L"\\offline-software.dat");
  hive[4] ^= 1;  // the primary sequence number: the hive was not closed cleanly
  WriteBytes(config + L"\\SOFTWARE", hive);
  for (const auto& [from, to] : {std::pair{L"fx_signed.dll", L"signed.dll"}, {L"fx_company.dll", L"unsigned.dll"}})
    ASSERT_TRUE(CopyFileW((FixtureFolder() + L"\\" + from).c_str(), (quill + L"\\" + to).c_str(), TRUE));
  const auto before = FilesUnder(image.Path());
  main_.Shell().chooseFolder = [&](const std::wstring&, HWND owner) -> std::optional<std::wstring> {
    EXPECT_EQ(owner, main_.Hwnd());
    return image.Path();
  };
  auto said = Run(Commands::kOpenOffline, {L"OK"});
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].texts.find(L"SOFTWARE"), std::wstring::npos) << Narrow(said[0].texts);
  const std::wstring offline = L"Offline: " + image.Path();
  EXPECT_NE(WindowText(main_.Hwnd()).find(offline), std::wstring::npos);
  EXPECT_EQ(main_.Status().Text(StatusBar::kCountsPart).rfind(L"Offline: ", 0), 0u);

  TempFolder out;
  main_.Shell().chooseSaveFile = [&](const std::wstring&, HWND) -> std::optional<SaveChoice> {
    return SaveChoice{out.File(L"offline.csv"), false};
  };
  main_.RunCommand(Commands::kSaveList);
  std::vector<std::vector<std::wstring>> rows, scanned;
  ASSERT_TRUE(ParseCsv(ReadUtf8File(out.File(L"offline.csv")), rows));
  ASSERT_EQ(RunProcessTo(L"\"" + DistFolder() + L"\\qmscan.exe\" --offline \"" + image.Path() + L"\"",
                         out.File(L"qmscan.csv")),
            0);
  ASSERT_TRUE(ParseCsv(ReadUtf8File(out.File(L"qmscan.csv")), scanned));
  std::sort(rows.begin() + 1, rows.end());
  std::sort(scanned.begin() + 1, scanned.end());
  EXPECT_EQ(rows, scanned);
  EXPECT_EQ(Toolbars(main_).RecordCount(), 3u);

  // Refused with the reason, the offline file's properties shown from the
  // folder, nothing said again on Refresh.
  ASSERT_TRUE(SelectRow(list_, ListTexts(list_).front()));
  EXPECT_NE(DetailsText(main_).find(L"\nRegistered or changed="), std::wstring::npos) << Narrow(DetailsText(main_));
  for (int command : {Commands::kDelete, Commands::kTurnOff, Commands::kTurnOn}) {
    said = Run(command, {L"OK"});
    ASSERT_EQ(said.size(), 1u) << command;
    EXPECT_NE(said[0].texts.find(L"This is an offline system: nothing is changed in it."), std::wstring::npos)
        << Narrow(said[0].texts);
  }
  EXPECT_EQ(Run(Commands::kRefresh).size(), 0u);
  EXPECT_EQ(Toolbars(main_).RecordCount(), 3u);
  main_.RunCommand(Commands::kFileProperties);
  ASSERT_EQ(properties_.size(), 1u);
  EXPECT_EQ(properties_[0].rfind(quill + L"\\", 0), 0u) << Narrow(properties_[0]);
  EXPECT_EQ(FilesUnder(image.Path()), before);
  EXPECT_TRUE(zebra_.Registered());

  EXPECT_EQ(Run(Commands::kBackToThisComputer).size(), 0u);
  EXPECT_EQ(WindowText(main_.Hwnd()).find(L"Offline"), std::wstring::npos);
  const auto live = ListTexts(CurrentList(main_));
  EXPECT_NE(std::find(live.begin(), live.end(), zebra_.Name()), live.end());
}
