// The add-on tables in a window over entries of their own in the browser's
// keys: each form of deletion lists, describes and deletes exactly its
// entries (hostile names and links among them), compared over the areas
// walked without following links; then what one kind shows the others share.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "TableTestKit.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "ozcore/CParams.h"
#include "support/KindEntries.h"
#include "support/KindParams.h"
#include "support/LogLines.h"
#include "support/ScopedLog.h"
#include "ui/main/DetailsPane.h"
#include "ui/tables/ProtocolTable.h"
#include "ui/tables/TableControlBase.h"

using namespace tabletest;
using namespace qlmtest;

namespace {

std::wstring Text(unsigned id) { return LoadStr(id); }

// The text of a string-table message with %1 standing for what is named:
// the parts around it, in order, with the name between.
bool Shows(const Dialog& dialog, unsigned id, const std::wstring& name) {
  std::wstring pattern = Text(id);
  const auto at = pattern.find(L"%1");
  const std::wstring head = pattern.substr(0, at) + name, tail = pattern.substr(at + 2, pattern.find_last_not_of(L' ') - at - 1);
  const auto found = dialog.texts.find(head);
  return found != std::wstring::npos && dialog.texts.find(tail, found + head.size()) != std::wstring::npos;
}

// A class-id-long name with a line break and a NUL inside; the kinds that
// show their name get a scheme-like one.
std::wstring HostileName(std::int32_t kind) {
  if (kind == TableId::kMenuExtensions || kind == TableId::kProtocols)
    return L"quill\r\n" + std::wstring(1, L'\0') + L"evil-" + Pid();
  std::wstring name = NewClsid();
  name[1] = L'\r';
  name[2] = L'\n';
  name[3] = L'\0';
  return name;
}

// The details of a plain entry with a file (a search provider has none).
std::vector<std::wstring> PlainDetails(const discovery::AddonKind& kind, const std::wstring& users) {
  const bool hasFile = kind.id != TableId::kSearchProviders;
  std::vector<std::wstring> rows = {Text(IDS_CAPTION_FILE) + L"=" + (hasFile ? CompanyFile() : Text(kind.brokenText))};
  if (hasFile) rows.push_back(Text(IDS_CAPTION_MANUFACTURER) + L"=" + kCompany);
  if (hasFile) rows.push_back(Text(IDS_COLUMN_VERSION) + L"=3.1");  // the fixture's product version
  rows.push_back(Text(IDS_CAPTION_AFFECTED_USERS) + L"=" + users);
  if (kind.id == TableId::kProtocols) rows.push_back(Text(IDS_CAPTION_PROTOCOL_LIST) + L"=" + Text(IDS_PROTOCOL_LIST_HANDLER));
  if (kind.id == TableId::kSearchProviders) {
    rows.push_back(Text(IDS_CAPTION_SEARCH_ADDRESS) + L"=https://search.invalid/?q={searchTerms}");
    rows.push_back(Text(IDS_CAPTION_DEFAULT_PROVIDER) + L"=" + Text(IDS_DEFAULT_NO));
  }
  rows.push_back(Text(IDS_CAPTION_ARCHITECTURE) + L"=" + Text(IDS_ARCH_64));
  rows.push_back(Text(IDS_CAPTION_STATE) + L"=" + Text(kind.stateById ? IDS_STATE_ON : IDS_STATE_NOT_APPLICABLE));
  rows.push_back(Text(IDS_CAPTION_SIGNATURE) + L"=" + Text(hasFile ? IDS_NOT_SIGNED : IDS_STATE_NOT_APPLICABLE));
  if (hasFile) rows.push_back(Text(IDS_CAPTION_SHA256) + L"=" + FixtureSha256(L"fx_company.dll"));
  return rows;
}

// Deleting asks first (refused: everything as it was); Yes removes exactly
// the one entry, says so, and the list no longer has the row.
void DeleteRow(TableRig& rig, const discovery::AddonKind& kind, const KindEntries& entries, const KindEntry& entry,
               std::int32_t view = 64, bool refuseFirst = false) {
  SCOPED_TRACE(Narrow(entry.Key() + L" " + entry.name));
  int row = rig.RowOf(entry.id, view);
  // A bar is listed once per category: the entry's own row.
  while (row >= 0 && kind.id == TableId::kExplorerBars && rig.table().RecordAt(row)->params.Text(L"CATID") != entry.name)
    ++row;
  ASSERT_GE(row, 0);
  rig.Select(row);
  const std::wstring shown = rig.Text(row);
  const hostile::Snapshot before = hostile::TakeSnapshot(entries.Areas());
  const int rows = rig.Rows();
  if (refuseFirst) {
    DialogAnswerer answers({L"No"});
    rig.table().Remove();
    const auto seen = answers.StopAndSeen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, Text(kind.deleteTitle));
    EXPECT_TRUE(Shows(seen[0], IDS_CONFIRM_DELETE, shown)) << Narrow(seen[0].texts);
    EXPECT_EQ(seen[0].buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
  }
  EXPECT_EQ(hostile::TakeSnapshot(entries.Areas()), before);
  EXPECT_EQ(rig.Rows(), rows);
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{row});

  DialogAnswerer answers({L"Yes", L"OK"});
  rig.table().Remove();
  const auto seen = answers.StopAndSeen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(Shows(seen[0], IDS_CONFIRM_DELETE, shown)) << Narrow(seen[0].texts);
  EXPECT_EQ(seen[1].title, Text(kind.deleteTitle));
  EXPECT_TRUE(Shows(seen[1], IDS_DELETED, shown)) << Narrow(seen[1].texts);
  EXPECT_FALSE(Shows(seen[1], IDS_CONFIRM_DELETE, shown)) << "the question carried over";
  const hostile::Snapshot expected = entry.isValue ? hostile::WithoutValue(before, entry.Key(), entry.name)
                                                   : hostile::WithoutKey(before, entry.Key());
  EXPECT_NE(expected, before);
  EXPECT_EQ(hostile::TakeSnapshot(entries.Areas()), expected);
  EXPECT_EQ(rig.Rows(), rows - 1);
  EXPECT_TRUE(kind.id == TableId::kExplorerBars || rig.RowOf(entry.id, view) < 0);
}

// The entries deleted one by one, each from its own view (see the test).
using Doomed = std::vector<std::pair<KindEntry, std::int32_t>>;
Doomed AddDoomedEntries(RegFixture& reg, KindEntries& entries, const discovery::AddonKind& kind,
                        const std::pair<KindEntry, KindEntry>& goodAndTwin, const std::wstring& victim,
                        const std::wstring& odd) {
  const auto& [good, twin] = goodAndTwin;
  const bool bar = kind.id == TableId::kExplorerBars;
  const bool named = kind.id == TableId::kMenuExtensions || kind.id == TableId::kProtocols;
  Doomed doomed;
  if (!kind.machineSharedByViews) {
    const KindEntry twin32 = entries.Add(kind.id, kMachine32, L"Quill Twin", CompanyFile(), twin.name);
    // Keys below an entry are walked without following links.
    if (!twin32.isValue)
      reg.Link(HKEY_LOCAL_MACHINE, twin32.location + L"\\" + twin32.name, L"Inner",
               hostile::KernelPath(HKEY_CURRENT_USER, victim));
    doomed.push_back({twin32, 32});
  }
  if (!bar) doomed.push_back({entries.Add(kind.id, kMachine, L"Quill Odd", L"", odd), 64});
  if (!kind.entriesAreValues && !bar) {
    for (const std::wstring& target :
         {hostile::KernelPath(HKEY_CURRENT_USER, victim), hostile::KernelPath(HKEY_LOCAL_MACHINE, twin.location)}) {
      const std::wstring name = named ? L"Quill Link " + NewClsid() : NewClsid();
      reg.Link(HKEY_LOCAL_MACHINE, twin.location, name, target);
      doomed.push_back({{name, HKEY_LOCAL_MACHINE, twin.location, name, false}, 64});
    }
  }
  if (bar) {
    reg.Key(HKEY_LOCAL_MACHINE, good.location + L"\\" + kind.categories[1]);
    doomed.push_back({good, 64});
  }
  return doomed;
}

// Gone behind the table's back: said, logged (the toolbars excepted), with
// the system's reason where a key was to go, and read again.
void ExpectGoneEntryReported(TableRig& rig, const discovery::AddonKind& kind, const KindEntry& lost) {
  rig.Select(rig.RowOf(lost.id));
  const std::wstring lostText = rig.Text(rig.RowOf(lost.id));
  if (lost.isValue)
    hostile::DeleteValue(HKEY_LOCAL_MACHINE, lost.location, lost.name);
  else
    hostile::DeleteTree(HKEY_LOCAL_MACHINE, lost.location, lost.name);
  TempFolder logFolder;
  {
    ScopedLog log(logFolder.Path());
    DialogAnswerer answers({L"Yes", L"OK"});
    rig.table().Remove();
    const auto seen = answers.StopAndSeen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(Shows(seen[1], IDS_CANNOT_DELETE, lostText)) << Narrow(seen[1].texts);
    const std::wstring reason = seen[1].texts.substr(seen[1].texts.find(L". ") + 2);
    EXPECT_EQ(reason.find_first_not_of(L"\r\n ") != std::wstring::npos, !kind.entriesAreValues) << Narrow(reason);
  }
  const auto records = LogLines(logFolder.File(L"QLM.log"));
  EXPECT_EQ(records.size(), kind.id == TableId::kToolbars ? 0u : 1u);
  for (const auto& record : records)
    EXPECT_EQ(record.rfind(L"L5  #0  " + std::wstring(kind.typeName) + L".ITableControl_Remove  ", 0), 0u);
  EXPECT_LT(rig.RowOf(lost.id), 0);
}

// Nothing to list: one empty row with the kind's texts, nothing to act on.
void ExpectEmptyTableOffersNothing(const discovery::AddonKind& kind) {
  TempFolder emptyLog;
  ScopedLog log(emptyLog.Path());
  TableRig empty(kind.id);
  ASSERT_EQ(empty.Rows(), 1);
  for (std::size_t column = 0; column < kind.emptyTexts.size(); ++column)
    EXPECT_EQ(empty.Text(0, static_cast<int>(column)), Text(kind.emptyTexts[column]));
  EXPECT_EQ(empty.table().RecordAt(0), nullptr);
  EXPECT_TRUE(empty.table().TableIsEmpty());
  CParams before;
  before.Add(L"Earlier", L"value");
  empty.details().ShowDetails(before);
  EXPECT_FALSE(empty.table().ShowDetails());
  EXPECT_EQ(empty.Details(), std::vector<std::wstring>{L"Earlier=value"});
  EXPECT_EQ(empty.table().CurrentFullFileNameError() + empty.table().CurrentObjectName(), L"");
  SendMessageW(empty.list(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(empty.list()), -1);
  EXPECT_TRUE(empty.menus.empty());
  DialogAnswerer answers({});
  empty.table().Remove();
  EXPECT_TRUE(answers.StopAndSeen().empty());
  EXPECT_TRUE(LogLines(emptyLog.File(L"QLM.log")).empty());
}

}  // namespace

// Every kind over entries of its own: a plain one with a file (a user's
// where the kind has users), one without, one named with NUL and a line
// break, a twin in both registry views and, where entries are keys, a link
// to a victim. The table shows and describes them; each deletion takes
// exactly its entry; one gone behind the table's back is reported, logged
// and read again; and with nothing to list the empty row offers nothing.
class UiTablesKinds : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(UiTablesKinds, ListDescribeAndDeleteExactlyTheConfirmedEntry) {
  const discovery::AddonKind& kind = discovery::Kind(GetParam());
  const bool bar = kind.id == TableId::kExplorerBars;
  RegFixture reg;
  KindEntries entries(reg);
  const bool users = *kind.userPath != L'\0';
  const KindEntry good = entries.Add(kind.id, users ? kDefaultUser : kMachine, L"Quill Good", CompanyFile());
  const KindEntry lost = entries.Add(kind.id, kMachine, L"Quill Lost", L"");
  // Deleted one by one below, each from its own view: the 32-bit twin of
  // an entry, one named with NUL and a line break, links named as entries
  // (to a victim, and to the list they are in); a bar's membership in the
  // first of its two categories.
  const bool named = kind.id == TableId::kMenuExtensions || kind.id == TableId::kProtocols;
  const KindEntry twin = entries.Add(kind.id, kMachine, L"Quill Twin", CompanyFile(), named ? L"Quill Twin" : L"");
  ScratchKey victim(HKEY_CURRENT_USER, L"Victim");
  SetString(HKEY_CURRENT_USER, victim.Sub(L"child"), L"keep", L"victim");
  const hostile::Snapshot victimBefore = hostile::TakeSnapshot(HKEY_CURRENT_USER, victim.Path());
  const std::wstring odd = HostileName(kind.id);
  const Doomed doomed = AddDoomedEntries(reg, entries, kind, {good, twin}, victim.Path(), odd);

  TableRig rig(kind.id);
  TableControlBase& table = rig.table();
  // The name; a hostile one made visible.
  const int goodRow = rig.RowOf(good.id);
  ASSERT_GE(goodRow, 0);
  EXPECT_EQ(rig.Text(goodRow), L"Quill Good");
  if (named) {
    EXPECT_EQ(rig.Text(rig.RowOf(odd)), L"quill^M^J^@evil-" + Pid());
  }
  rig.Select(goodRow);
  // When its key was written, in local time: today, as the system writes dates.
  std::vector<std::wstring> details = rig.Details();
  const std::wstring registered = Text(IDS_CAPTION_REGISTERED) + L"=";
  const auto written = std::find_if(details.begin(), details.end(),
                                    [&](const std::wstring& row) { return row.rfind(registered, 0) == 0; });
  ASSERT_NE(written, details.end());
  wchar_t today[128] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, today, 128, nullptr);
  EXPECT_EQ(written->rfind(registered + today + L" ", 0), 0u) << Narrow(*written);
  details.erase(written);
  EXPECT_EQ(details, PlainDetails(kind, Text(users ? IDS_SCOPE_DEFAULT : IDS_SCOPE_EVERYONE)));
  EXPECT_EQ(table.CurrentFullFileNameError(), kind.id == TableId::kSearchProviders ? Text(kind.brokenText) : L"");
  rig.Select(rig.RowOf(lost.id));
  EXPECT_EQ(rig.Details().front(), Text(IDS_CAPTION_FILE) + L"=" + Text(kind.brokenText));
  EXPECT_EQ(table.CurrentFullFileNameError(), Text(kind.brokenText));

  // Kinds whose entries must be class ids may leave the odd name out.
  const bool classIds =
      kind.id == TableId::kToolbars || kind.id == TableId::kButtons || kind.id == TableId::kHelperObjects;
  for (const auto& [entry, view] : doomed)
    if (entry.id != odd || !classIds || rig.RowOf(odd) >= 0)
      DeleteRow(rig, kind, entries, entry, view, &entry == &doomed.front().first);
  EXPECT_GE(rig.RowOf(twin.id), 0);
  EXPECT_EQ(hostile::TakeSnapshot(HKEY_CURRENT_USER, victim.Path()), victimBefore);
  if (bar) {
    const int left = rig.RowOf(good.id);
    ASSERT_GE(left, 0);
    EXPECT_EQ(table.RecordAt(left)->params.Text(L"CATID"), kind.categories[1]);
  }
  ExpectGoneEntryReported(rig, kind, lost);
  reg.Undo();
  ExpectEmptyTableOffersNothing(kind);
}

// Every kind's listing and deletion plan is tested natively over a machine
// in memory (tests/native/EngineListingTest.cpp); here the live machine and
// the window, for each form a deletion takes: a value (toolbars), a key
// (buttons), a key two levels down with its list (protocols), a key and the
// user's default that names it (search providers), a class's category
// membership (explorer bars).
INSTANTIATE_TEST_SUITE_P(EachDeletionForm, UiTablesKinds,
                         ::testing::Values(TableId::kToolbars, TableId::kButtons, TableId::kProtocols,
                                           TableId::kSearchProviders, TableId::kExplorerBars),
                         KindParamName());

// After a refresh the row whose details are shown is the selected row,
// the one Delete would act on; the queries follow the selection.
TEST(UiTables, ARefreshKeepsTheRememberedRowSelectedAndDescribed) {
  RegFixture reg;
  KindEntries entries(reg);
  std::vector<KindEntry> bars;
  for (int i = 1; i <= 8; ++i)
    bars.push_back(entries.Add(TableId::kToolbars, kMachine, L"Quill Bar " + std::to_wstring(i), CompanyFile()));
  TableRig rig(TableId::kToolbars, 90);  // short: the fifth row has to be scrolled to
  ASSERT_EQ(rig.Rows(), 8) << "the prefix holds toolbars of its own";
  rig.Select(4);
  const std::wstring fifth = rig.table().RecordAt(4)->ID;
  EXPECT_EQ(rig.table().CurrentFullFileName(), CompanyFile());
  ListView_EnsureVisible(rig.list(), 0, FALSE);
  rig.table().RefreshList();
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{4});
  EXPECT_EQ(ListView_GetNextItem(rig.list(), -1, LVNI_FOCUSED), 4);
  EXPECT_EQ(rig.table().RecordAt(4)->ID, fifth);
  EXPECT_EQ(rig.table().CurrentObjectName(), rig.Text(4));
  RECT row{}, client{};
  ListView_GetItemRect(rig.list(), 4, &row, LVIR_BOUNDS);
  GetClientRect(rig.list(), &client);
  EXPECT_TRUE(row.top >= 0 && row.bottom <= client.bottom) << row.top << "-" << row.bottom;

  // Five go: three rows are left and the first is selected and shown.
  for (int i = 0; i < 5; ++i) hostile::DeleteValue(HKEY_LOCAL_MACHINE, bars[i].location, bars[i].name);
  rig.table().RefreshList();
  ASSERT_EQ(rig.Rows(), 3);
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{0});
  EXPECT_EQ(rig.table().CurrentObjectName(), rig.Text(0));
  ASSERT_FALSE(rig.Details().empty());
  EXPECT_EQ(rig.Details()[0], Text(IDS_CAPTION_FILE) + L"=" + CompanyFile());
  // Nothing selected: the queries name nothing; the details take the first row.
  ListView_SetItemState(rig.list(), -1, 0, LVIS_SELECTED);
  EXPECT_EQ(rig.table().CurrentFullFileName() + rig.table().CurrentObjectName(), L"");
  EXPECT_TRUE(rig.table().ShowDetails());
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{0});
  rig.table().Finalize();
  EXPECT_FALSE(rig.table().HasDetailsPane());
}

// The row menu: a plain right click, or the keyboard's menu request at the
// selected row; never with Shift, Ctrl or Alt held, nor below the rows.
TEST(UiTables, TheRowMenuOpensOnAPlainRightClickOrFromTheKeyboard) {
  RegFixture reg;
  KindEntries entries(reg);
  const KindEntry first = entries.Add(TableId::kMenuExtensions, kMachine, L"Quill Alpha", CompanyFile());
  const KindEntry second = entries.Add(TableId::kMenuExtensions, kMachine, L"Quill Beta", CompanyFile());
  TableRig rig(TableId::kMenuExtensions);
  const int row = rig.RowOf(second.id);
  ASSERT_GE(row, 0);
  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
    KeysHeld held(key);
    RightClick(rig.list(), row);
  }
  RightClick(rig.list(), -1);
  EXPECT_TRUE(rig.menus.empty());
  RightClick(rig.list(), row);
  ASSERT_EQ(rig.menus, std::vector<bool>{false});
  // The right click chose the row the menu is for.
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{row});
  EXPECT_EQ(rig.table().CurrentObjectName(), L"Quill Beta");
  // The menu key and Shift+F10 send a menu request with no position: the
  // menu opens at the selected row.
  rig.Select(rig.RowOf(first.id));
  SendMessageW(rig.list(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rig.list()), -1);
  ASSERT_EQ(rig.menus, (std::vector<bool>{false, true}));
  RECT item{};
  ListView_GetItemRect(rig.list(), rig.RowOf(first.id), &item, LVIR_BOUNDS);
  MapWindowPoints(rig.list(), nullptr, reinterpret_cast<POINT*>(&item), 2);
  item.bottom += 1;
  EXPECT_TRUE(PtInRect(&item, rig.menuPoints.back())) << rig.menuPoints.back().x << "," << rig.menuPoints.back().y;
}

// Deleting the provider a user's "DefaultScope" names (in another letter
// case) says so first and clears that value; deleting another leaves it.
TEST(UiTables, DeletingTheDefaultProviderClearsTheDefault) {
  RegFixture reg;
  KindEntries entries(reg);
  const KindEntry chosen = entries.Add(TableId::kSearchProviders, kDefaultUser, L"Quill Default", L"");
  const KindEntry other = entries.Add(TableId::kSearchProviders, kDefaultUser, L"Quill Other", L"");
  std::wstring lower = chosen.id;
  CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  reg.String(HKEY_USERS, chosen.location, L"DefaultScope", lower);
  const discovery::AddonKind& kind = discovery::Kind(TableId::kSearchProviders);
  TableRig rig(kind.id);
  DeleteRow(rig, kind, entries, other);
  rig.Select(rig.RowOf(chosen.id));
  ASSERT_GE(rig.Details().size(), 4u);
  EXPECT_EQ(rig.Details()[3], Text(IDS_CAPTION_DEFAULT_PROVIDER) + L"=" + Text(IDS_DEFAULT_YES));
  const hostile::Snapshot before = hostile::TakeSnapshot(entries.Areas());
  DialogAnswerer answers({L"Yes", L"OK"});
  rig.table().Remove();
  const auto seen = answers.StopAndSeen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(Shows(seen[0], IDS_CONFIRM_DELETE_DEFAULT_PROVIDER, L"Quill Default")) << Narrow(seen[0].texts);
  const std::wstring list = chosen.Key().substr(0, chosen.Key().rfind(L'\\'));
  EXPECT_EQ(hostile::TakeSnapshot(entries.Areas()),
            hostile::WithoutValue(hostile::WithoutKey(before, chosen.Key()), list, L"DefaultScope"));
}

// F7 in the protocol list shows the system's own handlers, marked in the
// details, and hides them again; the caption says which way F7 turns it.
// Whose a handler is: tests/native/ProtocolTextTest.cpp.
TEST(UiTables, F7ShowsAndHidesTheSystemsOwnHandlers) {
  RegFixture reg;
  KindEntries entries(reg);
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const KindEntry own = entries.Add(TableId::kProtocols, kMachine, L"quill-own-" + Pid(), CompanyFile());
  const KindEntry builtIn =
      entries.Add(TableId::kProtocols, kMachine, L"quill-system-" + Pid(), std::wstring(system) + L"\\urlmon.dll");
  TableRig rig(TableId::kProtocols);
  auto& table = static_cast<ProtocolTable&>(rig.table());
  const std::wstring systemRow = Text(IDS_CAPTION_SYSTEM_HANDLER) + L"=" + Text(IDS_DEFAULT_YES);
  for (bool shown : {false, true, false}) {
    SCOPED_TRACE(shown);
    EXPECT_EQ(table.ShowsSystemHandlers(), shown);
    EXPECT_EQ(table.Caption().Text(), Text(IDS_KIND_PROTOCOLS) + Text(shown ? IDS_PH_HIDE_SYSTEM : IDS_PH_SHOW_SYSTEM));
    EXPECT_GE(rig.RowOf(own.id), 0);
    EXPECT_EQ(rig.RowOf(builtIn.id) >= 0, shown);
    if (!shown) {
      EXPECT_LT(rig.RowOf(L"http"), 0);
    }
    if (shown) {
      rig.Select(rig.RowOf(builtIn.id));
      const auto details = rig.Details();
      EXPECT_NE(std::find(details.begin(), details.end(), systemRow), details.end());
    }
    SetFocus(rig.list());
    Key(rig.list(), VK_F7);
  }
}

// An entry of a user who is not signed in comes from their profile's hive
// file: Delete says why it cannot be done now and leaves the file as it was.
TEST(UiTables, AnEntryOfAUserNotSignedInIsNotDeleted) {
  const std::wstring sid = L"S-1-5-21-7-7-7-1236";
  const std::wstring fixture = FixtureFolder() + L"\\signed-out-user.dat";
  TempFolder profile;
  ASSERT_TRUE(CopyFileW(fixture.c_str(), profile.File(L"NTUSER.DAT").c_str(), TRUE));
  RegFixture reg;
  reg.String(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid,
             L"ProfileImagePath", profile.Path());
  TableRig rig(TableId::kMenuExtensions);
  const int row = rig.RowOf(L"Signed-out menu");
  ASSERT_GE(row, 0);
  rig.Select(row);
  DialogAnswerer answers({L"OK"});
  rig.table().Remove();
  const auto seen = answers.StopAndSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(Shows(seen[0], IDS_USER_NOT_SIGNED_IN_CHANGE, sid)) << Narrow(seen[0].texts);
  EXPECT_EQ(ReadBytes(profile.File(L"NTUSER.DAT")), ReadBytes(fixture));
  EXPECT_FALSE(KeyPresent(HKEY_USERS, sid));
}
