#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>

#include "TableTestKit.h"
#include "ui/tables/TableControlBase.h"

using namespace tabletest;
using qlmtest::Narrow;

namespace {

const std::wstring kHklm = L"HKEY_LOCAL_MACHINE\\";
const std::wstring kHku = L"HKEY_USERS\\";

bool Shows(const SeenDialog& dialog, const std::wstring& text) { return dialog.texts.find(text) != std::wstring::npos; }

struct Case {
  std::int32_t id;
  std::wstring target;         // record ID of the add-on to delete
  std::wstring other;          // record ID that must stay listed
  std::wstring name;           // the name the messages use
  std::wstring title;
  Snapshot (*expected)(const Snapshot&, const Case&);
  std::wstring gonePath;       // what goes: key path, or the list of a value
};

// Deleting asks first: No leaves everything as it was; Yes removes exactly
// the one entry, tells so, and the refreshed list no longer has it.
void DeleteWithNoThenYes(Addons& addons, const Case& c) {
  SCOPED_TRACE(c.id);
  TableRig rig(c.id);
  const int row = rig.RowOf(c.target);
  ASSERT_GE(row, 0);
  rig.Select(row);
  const Snapshot before = TakeSnapshot(addons.Classes());
  const int rows = rig.Rows();

  {
    DialogAnswerer answers({L"No"});
    rig.table().Remove();
    const auto seen = answers.Finish();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, c.title);
    EXPECT_TRUE(Shows(seen[0], L"Are you sure you want to delete " + c.name + L"?")) << Narrow(seen[0].texts);
    std::vector<std::wstring> buttons = seen[0].buttons;
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, (std::vector<std::wstring>{L"No", L"Yes"}));
  }
  EXPECT_EQ(TakeSnapshot(addons.Classes()), before);
  EXPECT_EQ(rig.Rows(), rows);
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{row});

  DialogAnswerer answers({L"Yes", L"OK"});
  rig.table().Remove();
  const auto seen = answers.Finish();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].title, c.title);
  EXPECT_TRUE(Shows(seen[1], c.name + L" deleted successfully.")) << Narrow(seen[1].texts);
  EXPECT_EQ(seen[1].buttons, std::vector<std::wstring>{L"OK"});
  const Snapshot after = TakeSnapshot(addons.Classes());
  EXPECT_NE(after, before);
  EXPECT_EQ(after, c.expected(before, c));
  EXPECT_EQ(rig.Rows(), rows - 1);
  EXPECT_GE(rig.RowOf(c.other), 0);
}

Snapshot KeyGone(const Snapshot& s, const Case& c) { return WithoutKey(s, c.gonePath); }
Snapshot ValueGone(const Snapshot& s, const Case& c) { return WithoutValue(s, c.gonePath, c.target); }

}  // namespace

TEST(UiTablesDelete, EachKindRemovesExactlyTheConfirmedEntry) {
  Addons addons;
  const std::wstring file = CompanyFile();
  // Two of each kind: one is deleted, the other stays.
  const std::wstring tbUser = addons.Toolbar(HKEY_USERS, kUserToolbarList, L"Quill Bar", file);
  const std::wstring tbMachine = addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Toolbar", file);
  const std::wstring tbSpare = addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Spare", file);
  const std::wstring btUser = addons.Button(HKEY_USERS, L".Default\\" + kButtons, L"Quill  Mail", L"Quill Post", file);
  const std::wstring btMachine = addons.Button(HKEY_LOCAL_MACHINE, kButtons, L"Quill Mail", L"Quill Mail", file);
  const std::wstring btSpare = addons.Button(HKEY_LOCAL_MACHINE, kButtons, L"", L"Quill Spare", file);
  const std::wstring cmUser = addons.MenuExt(HKEY_USERS, L".Default\\" + kMenuExt, L"Quill Search", file);
  const std::wstring cmMachine = addons.MenuExt(HKEY_LOCAL_MACHINE, kMenuExt, L"Quill Search", file);
  const std::wstring ebTwice = addons.ExplorerBar(L"Quill Side Bar", file, {kVerticalBars, kHorizontalBars});
  const std::wstring bhoGone = addons.Bho(L"Quill Helper", file);
  const std::wstring bhoStays = addons.Bho(L"Quill Other Helper", file);

  // The menu extensions of the machine and of the user share their name
  // (their record ID); only the machine's goes.
  const std::vector<Case> cases = {
      {3, tbUser, tbMachine, L"Quill Bar toolbar", L"Delete Toolbar", ValueGone, kHku + kUserToolbarList},
      {3, tbMachine, tbSpare, L"Quill Toolbar", L"Delete Toolbar", ValueGone, kHklm + kToolbarList},
      {4, btUser, btMachine, L"Quill Mail toolbar button and Quill Post menu", L"Delete Toolbar Button", KeyGone,
       kHku + L".Default\\" + kButtons + L"\\" + btUser},
      {4, btMachine, btSpare, L"Quill Mail toolbar button and related menu", L"Delete Toolbar Button", KeyGone,
       kHklm + kButtons + L"\\" + btMachine},
      {5, cmMachine, cmUser, L"Quill Search menu extension", L"Delete Menu Extension", KeyGone,
       kHklm + kMenuExt + L"\\" + cmMachine},
      {7, bhoGone, bhoStays, L"Quill Helper browser helper object", L"Delete Browser Helper Object", KeyGone,
       kHklm + kBhos + L"\\" + bhoGone},
  };
  for (const Case& c : cases) DeleteWithNoThenYes(addons, c);

  // A bar listed under two categories loses only the one it was selected
  // under, and stays listed under the other.
  TableRig rig(TableId::kExplorerBars);
  int vertical = -1;
  for (int row = 0; row < rig.Rows(); ++row) {
    const CResultNode* record = rig.table().RecordAt(row);
    if (record && record->ID == ebTwice && record->params.Text(L"CATID") == kVerticalBars) vertical = row;
  }
  ASSERT_GE(vertical, 0);
  rig.Select(vertical);
  const Snapshot before = TakeSnapshot(addons.Classes());
  const int rows = rig.Rows();
  DialogAnswerer answers({L"Yes", L"OK"});
  rig.table().Remove();
  const auto seen = answers.Finish();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, L"Delete Explorer Bar");
  EXPECT_TRUE(Shows(seen[0], L"Are you sure you want to delete Quill Side Bar explorer bar?"));
  EXPECT_TRUE(Shows(seen[1], L"Quill Side Bar explorer bar deleted successfully."));
  EXPECT_EQ(TakeSnapshot(addons.Classes()),
            WithoutKey(before, kHklm + kClasses + ebTwice + L"\\Implemented Categories\\" + kVerticalBars));
  ASSERT_EQ(rig.Rows(), rows - 1);
  const int left = rig.RowOf(ebTwice);
  ASSERT_GE(left, 0);
  EXPECT_EQ(rig.table().RecordAt(left)->params.Text(L"CATID"), kHorizontalBars);
}

// An entry that went away after the list was read: the user is told it
// could not be deleted (with the reason, for the kinds that delete keys),
// the kinds that log write the text as an information record, and the
// list is read again.
TEST(UiTablesDelete, AFailedDeletionIsReportedLoggedAndTheListRefreshed) {
  struct Case {
    std::int32_t id;
    std::wstring shown;   // the message's start
    std::wstring logged;  // the record's start; empty: no record
  };
  const Case cases[] = {
      {3, L"Cannot delete Quill Gone toolbar. ", L""},
      {5, L"Cannot delete Quill Gone menu extension. ",
       L"L5  #0  ucMenuExt.ITableControl_Remove  Cannot delete Quill Gone menu extension. "},
      {6, L"Cannot delete Quill Gone explorer bar. ",
       L"L5  #0  ucExplorerBars.ITableControl_Remove  Cannot delete explorer bar 'Quill Gone explorer bar'. "},
      {7, L"Cannot delete Quill Gone browser helper object. ",
       L"L5  #0  ucBHO.ITableControl_Remove  Cannot delete Quill Gone browser helper object. "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    Addons addons;
    std::wstring id;
    switch (c.id) {
      case 3: id = addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Gone", CompanyFile()); break;
      case 5: id = addons.MenuExt(HKEY_LOCAL_MACHINE, kMenuExt, L"Quill Gone", CompanyFile()); break;
      case 6: id = addons.ExplorerBar(L"Quill Gone", CompanyFile(), {kVerticalBars}); break;
      default: id = addons.Bho(L"Quill Gone", CompanyFile()); break;
    }
    LogCapture log;
    TableRig rig(c.id);
    const int row = rig.RowOf(id);
    ASSERT_GE(row, 0);
    rig.Select(row);
    addons.Reg().Undo();  // gone behind the table's back

    DialogAnswerer answers({L"Yes", L"OK"});
    rig.table().Remove();
    const auto seen = answers.Finish();
    ASSERT_EQ(seen.size(), 2u);
    // The system's reason follows for the kinds that delete a key.
    const auto at = seen[1].texts.find(c.shown);
    ASSERT_NE(at, std::wstring::npos) << Narrow(seen[1].texts);
    const std::wstring after = seen[1].texts.substr(at + c.shown.size());
    if (c.id == 3) {
      EXPECT_EQ(after.substr(0, 1), L"\n") << Narrow(after);
    } else {
      EXPECT_GT(after.find(L'\n'), 0u) << Narrow(after);
    }
    std::vector<std::wstring> records;
    for (const auto& record : log.Records())
      if (record.find(L"ITableControl_Remove") != std::wstring::npos) records.push_back(record);
    if (c.logged.empty()) {
      EXPECT_TRUE(records.empty());
    } else {
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0].rfind(c.logged, 0), 0u) << Narrow(records[0]);
      EXPECT_GT(records[0].size(), c.logged.size());
    }
    // Read again: the entry is no longer listed.
    EXPECT_LT(rig.RowOf(id), 0);
  }
}

// On 64-bit Windows the same add-on can be registered for both browsers: a
// row of the 32-bit view is deleted from that view alone.
TEST(UiTablesDelete, A32BitRowGoesFromThe32BitViewOnly) {
  Addons addons;
  const std::wstring wow = L"Software\\Wow6432Node\\Microsoft\\";
  const std::wstring wowToolbars = wow + L"Internet Explorer\\Toolbar";
  const std::wstring wowBhos = wow + L"Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
  const std::wstring file = CompanyFile();
  const std::wstring tb = addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Twin Bar", file);
  addons.Reg().String(HKEY_LOCAL_MACHINE, wowToolbars, tb, L"");
  const std::wstring bho = addons.Bho(L"Quill Twin Helper", file);
  addons.Reg().String(HKEY_LOCAL_MACHINE, wowBhos + bho, L"", L"Quill Twin Helper");

  auto valueThere = [](const std::wstring& path, const std::wstring& name) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    return qlmtest::RawValue(HKEY_LOCAL_MACHINE, path, name, type, data);
  };
  auto keyThere = [](const std::wstring& path) { return qlmtest::KeyPresent(HKEY_LOCAL_MACHINE, path); };
  auto viewOf = [](const CResultNode& record) {
    const auto* view = record.params.Find(L"view");
    return view ? view->Number() : 0;
  };
  struct Twin {
    std::int32_t id;
    std::wstring clsid;
    std::function<bool()> nativeThere, wowThere;
  };
  const std::vector<Twin> twins = {
      {TableId::kToolbars, tb, [&] { return valueThere(kToolbarList, tb); }, [&] { return valueThere(wowToolbars, tb); }},
      {TableId::kHelperObjects, bho, [&] { return keyThere(kBhos + L"\\" + bho); },
       [&] { return keyThere(wowBhos + bho); }},
  };
  for (const Twin& twin : twins) {
    SCOPED_TRACE(twin.id);
    TableRig rig(twin.id);
    std::vector<int> views;
    int wowRow = -1;
    for (int row = 0; row < rig.Rows(); ++row) {
      const CResultNode* record = rig.table().RecordAt(row);
      if (!record || record->ID != twin.clsid) continue;
      views.push_back(viewOf(*record));
      if (viewOf(*record) == 32) wowRow = row;
    }
    ASSERT_EQ(views, (std::vector<int>{64, 32}));
    ASSERT_TRUE(twin.nativeThere() && twin.wowThere());
    rig.Select(wowRow);
    DialogAnswerer answers({L"Yes", L"OK"});
    rig.table().Remove();
    EXPECT_EQ(answers.Finish().size(), 2u);
    EXPECT_FALSE(twin.wowThere());
    EXPECT_TRUE(twin.nativeThere());
    const int left = rig.RowOf(twin.clsid);
    ASSERT_GE(left, 0);
    EXPECT_EQ(viewOf(*rig.table().RecordAt(left)), 64);
  }
}
