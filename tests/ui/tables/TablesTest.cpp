#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "TableTestKit.h"
#include "discovery/AddonRecord.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CUtilities.h"
#include "ui/main/DetailsPane.h"
#include "ui/tables/TableControlBase.h"
#include "ui/widgets/PropertyGrid.h"

using namespace tabletest;
using qlmtest::Narrow;

namespace {

// Holds modifier keys down in this thread's keyboard state while alive.
class KeysHeld {
 public:
  explicit KeysHeld(std::vector<int> keys) : keys_(std::move(keys)) { Set(0x80); }
  ~KeysHeld() { Set(0); }

 private:
  void Set(BYTE state) {
    BYTE all[256];
    GetKeyboardState(all);
    for (int key : keys_) all[key] = state;
    SetKeyboardState(all);
  }
  std::vector<int> keys_;
};

void RightClick(HWND list, int row) {
  RECT r{};
  ListView_GetItemRect(list, row, &r, LVIR_LABEL);
  const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
  // The list follows the button until it is released.
  PostMessageW(list, WM_RBUTTONUP, 0, at);
  SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
  Pump();
}

std::wstring Columns(HWND list) {
  std::wstring all;
  HWND header = ListView_GetHeader(list);
  for (int i = 0; i < Header_GetItemCount(header); ++i) {
    wchar_t text[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    Header_GetItem(header, i, &item);
    all += std::wstring(i ? L"|" : L"") + text;
  }
  return all;
}

int ImageOf(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  ListView_GetItem(list, &item);
  return item.iImage;
}

}  // namespace

// Each kind: caption, columns, one row per add-on with the row image, the
// details of a row with a file and of one without, and the selection
// queries.
TEST(UiTables, EveryKindListsItsAddonsAndDescribesTheSelectedOne) {
  const std::wstring file = CompanyFile();
  struct Kind {
    std::int32_t id;
    std::wstring caption, columns, broken;
  };
  const Kind kinds[] = {
      {3, L"Toolbars", L"Toolbar", L"Toolbar is improperly installed or configured"},
      {4, L"Toolbar Buttons and Menus", L"Button|Menu",
       L"Toolbar button and menu are improperly installed or configured"},
      {5, L"Context Menu Extensions", L"Menu Extension", L"Menu extension is improperly installed or configured"},
      {6, L"Explorer Bars", L"Explorer Bar", L"Explorer bar is improperly installed or configured"},
      {7, L"Browser Helper Objects", L"Browser Helper Object",
       L"Browser Helper Object is improperly installed or configured"},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.id);
    Addons addons;
    std::wstring good, broken, goodText, brokenText, scope = L"Everyone";
    switch (kind.id) {
      case 3:
        good = addons.Toolbar(HKEY_USERS, kUserToolbarList, L"Quill &Bar", file);
        broken = addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Broken Bar", L"");
        goodText = L"Quill Bar", brokenText = L"Quill Broken Bar", scope = L"Default";
        break;
      case 4:
        good = addons.Button(HKEY_USERS, L".Default\\" + kButtons, L"Quill Button", L"Quill Menu", file);
        broken = addons.Button(HKEY_LOCAL_MACHINE, kButtons, L"Quill Lost", L"", L"");
        goodText = L"Quill Button", brokenText = L"Quill Lost", scope = L"Default";
        break;
      case 5:
        good = addons.MenuExt(HKEY_LOCAL_MACHINE, kMenuExt, L"Quill &Search", file);
        broken = addons.MenuExt(HKEY_LOCAL_MACHINE, kMenuExt, L"Quill Lost", L"");
        goodText = L"Quill Search", brokenText = L"Quill Lost";
        break;
      case 6:
        good = addons.ExplorerBar(L"Quill Bar", file, {kVerticalBars});
        broken = addons.ExplorerBar(L"Quill Lost", L"", {kHorizontalBars});
        goodText = L"Quill Bar", brokenText = L"Quill Lost";
        break;
      default:
        good = addons.Bho(L"Quill Helper", file);
        broken = addons.Bho(L"Quill Lost", L"");
        goodText = L"Quill Helper", brokenText = L"Quill Lost";
        break;
    }
    TableRig rig(kind.id);
    TableControlBase& table = rig.table();
    EXPECT_EQ(table.ID(), kind.id);
    EXPECT_EQ(table.Caption().Text(), kind.caption);
    // The kind's name columns, then the columns every kind shares.
    EXPECT_EQ(Columns(rig.list()), kind.columns + L"|Publisher|File|Version|Users" +
                                       (CRegistry::HasWow32View() ? L"|Architecture" : L"") + L"|State|Signature");
    EXPECT_NE(ListView_GetImageList(rig.list(), LVSIL_SMALL), nullptr);
    EXPECT_FALSE(table.TableIsEmpty());

    const int goodRow = rig.RowOf(good), brokenRow = rig.RowOf(broken);
    ASSERT_GE(goodRow, 0);
    ASSERT_GE(brokenRow, 0);
    EXPECT_EQ(rig.Text(goodRow), goodText);
    EXPECT_EQ(rig.Text(brokenRow), brokenText);
    if (kind.id == 4) {
      EXPECT_EQ(rig.Text(goodRow, 1), L"Quill Menu");
    }
    for (int row = 0; row < rig.Rows(); ++row) EXPECT_EQ(ImageOf(rig.list(), row), 0) << row;

    rig.Select(goodRow);
    // The fixtures are native-view entries of a 64-bit prefix.
    // Context-menu extensions have no state the browser keeps by id.
    const std::wstring state = kind.id == 5 ? L"State=n/a" : L"State=On";
    EXPECT_EQ(rig.Details(),
              (std::vector<std::wstring>{L"File=" + file, L"Manufacturer=" + kCompany, L"Affected users=" + scope,
                                         L"Architecture=64-bit", state, L"Signature=Not signed"}));
    EXPECT_EQ(table.CurrentFullFileName(), file);
    EXPECT_EQ(table.CurrentFullFileNameError(), L"");
    EXPECT_EQ(table.CurrentObjectName(), kind.id == 4 ? L"Quill Button Quill Menu" : goodText);

    rig.Select(brokenRow);
    EXPECT_EQ(rig.Details(),
              (std::vector<std::wstring>{L"File=" + kind.broken, L"Affected users=Everyone", L"Architecture=64-bit",
                                         state, L"Signature=Not checked (no file)"}));
    EXPECT_EQ(table.CurrentFullFileName(), L"");
    EXPECT_EQ(table.CurrentFullFileNameError(), kind.broken);

    // With nothing selected the string queries say nothing; the details
    // and the file error take the first row.
    ListView_SetItemState(rig.list(), -1, 0, LVIS_SELECTED);
    EXPECT_EQ(table.CurrentFullFileName(), L"");
    EXPECT_EQ(table.CurrentObjectName(), L"");
    EXPECT_TRUE(rig.SelectedRows().empty());
    EXPECT_TRUE(table.ShowDetails());
    EXPECT_EQ(rig.SelectedRows(), std::vector<int>{0});
    EXPECT_FALSE(rig.Details().empty());

    table.Finalize();
    EXPECT_FALSE(table.HasDetailsPane());
  }
}

// No add-on of a kind: one empty row, selected, and nothing to act on; the
// queries answer empty without a log record.
TEST(UiTables, AnEmptyTableShowsItsEmptyRowAndOffersNothing) {
  const std::pair<std::int32_t, std::vector<std::wstring>> kinds[] = {
      {3, {L"There are no installed toolbars"}},
      {4, {L"There are no installed toolbar buttons", L"There are no installed menus"}},
      {5, {L"There are no installed menu extensions"}},
      {6, {L"There are no installed explorer bars"}},
      {7, {L"There are no installed browser helper objects"}},
      {8, {L"There are no installed URL search hooks"}},
      {9, {L"There are no installed ActiveX controls"}},
      {10, {L"There are no installed protocol handlers or filters"}},
      {11, {L"There are no installed search providers"}},
  };
  for (const auto& [id, texts] : kinds) {
    SCOPED_TRACE(id);
    LogCapture log;
    EmptyRegistry nothing;
    TableRig rig(id);
    TableControlBase& table = rig.table();
    ASSERT_EQ(rig.Rows(), 1);
    for (std::size_t column = 0; column < texts.size(); ++column)
      EXPECT_EQ(rig.Text(0, static_cast<int>(column)), texts[column]);
    EXPECT_EQ(ImageOf(rig.list(), 0), 0);
    EXPECT_EQ(rig.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(table.RecordAt(0), nullptr);
    EXPECT_TRUE(table.TableIsEmpty());
    EXPECT_TRUE(rig.Details().empty());

    CParams before;
    before.Add(L"Earlier", L"value");
    rig.details().ShowDetails(before);
    EXPECT_FALSE(table.ShowDetails());
    EXPECT_EQ(rig.Details(), std::vector<std::wstring>{L"Earlier=value"});
    EXPECT_EQ(table.CurrentFullFileNameError(), L"");
    EXPECT_EQ(table.CurrentFullFileName(), L"");
    EXPECT_EQ(table.CurrentObjectName(), L"");

    RightClick(rig.list(), 0);
    SendMessageW(rig.list(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rig.list()), -1);
    EXPECT_TRUE(rig.menus.empty());
    DialogAnswerer answers({});
    table.Remove();
    EXPECT_TRUE(answers.Finish().empty());
    EXPECT_EQ(log.Records(), std::vector<std::wstring>{});
  }
}

// After a refresh the row whose details are shown is the selected row,
// the one Delete would act on.
TEST(UiTables, ARefreshKeepsTheRememberedRowSelectedAndDescribed) {
  Addons addons;
  std::vector<std::wstring> ids;
  for (int i = 1; i <= 8; ++i)
    ids.push_back(addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, L"Quill Bar " + std::to_wstring(i), CompanyFile()));
  // Short enough that the fifth row has to be scrolled to.
  TableRig rig(TableId::kToolbars, 90);
  ASSERT_EQ(rig.Rows(), 8) << "the prefix holds toolbars of its own";
  rig.Select(4);
  const std::wstring fifth = rig.table().RecordAt(4)->ID;
  ListView_EnsureVisible(rig.list(), 0, FALSE);

  rig.table().RefreshList();
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{4});
  EXPECT_EQ(ListView_GetNextItem(rig.list(), -1, LVNI_FOCUSED), 4);
  EXPECT_EQ(rig.table().RecordAt(4)->ID, fifth);
  EXPECT_EQ(rig.table().CurrentObjectName(), rig.Text(4));
  RECT row{}, client{};
  ListView_GetItemRect(rig.list(), 4, &row, LVIR_BOUNDS);
  GetClientRect(rig.list(), &client);
  EXPECT_GE(row.top, 0);
  EXPECT_LE(row.bottom, client.bottom);

  // Five go: three rows are left and the first is selected and shown.
  for (int i = 0; i < 5; ++i) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kToolbarList.c_str(), ids[i].c_str());
  rig.table().RefreshList();
  ASSERT_EQ(rig.Rows(), 3);
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{0});
  EXPECT_EQ(rig.table().CurrentObjectName(), rig.Text(0));
  ASSERT_FALSE(rig.Details().empty());
  EXPECT_EQ(rig.Details()[0], L"File=" + CompanyFile());
}

// The row menu: a plain right click, or the keyboard's menu request at the
// selected row; never with Shift, Ctrl or Alt held.
TEST(UiTables, TheRowMenuOpensOnAPlainRightClickOrFromTheKeyboard) {
  Addons addons;
  const std::wstring first = addons.MenuExt(HKEY_LOCAL_MACHINE, kMenuExt, L"Quill Alpha", CompanyFile());
  const std::wstring second = addons.MenuExt(HKEY_LOCAL_MACHINE, kMenuExt, L"Quill Beta", CompanyFile());
  TableRig rig(TableId::kMenuExtensions);
  const int row = rig.RowOf(second);
  ASSERT_GE(row, 0);

  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
    KeysHeld held({key});
    RightClick(rig.list(), row);
  }
  // Below the last row there is no add-on to offer commands for.
  RECT last{};
  ListView_GetItemRect(rig.list(), rig.Rows() - 1, &last, LVIR_BOUNDS);
  const LPARAM below = MAKELPARAM(last.left + 5, last.bottom + 40);
  PostMessageW(rig.list(), WM_RBUTTONUP, 0, below);
  SendMessageW(rig.list(), WM_RBUTTONDOWN, MK_RBUTTON, below);
  Pump();
  EXPECT_TRUE(rig.menus.empty());
  RightClick(rig.list(), row);
  ASSERT_EQ(rig.menus, std::vector<bool>{false});
  // The right click chose the row the menu is for.
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{row});
  EXPECT_EQ(rig.table().CurrentObjectName(), L"Quill Beta");

  // The menu key and Shift+F10 reach the list as a menu request with no
  // position: the menu opens at the selected row.
  rig.Select(rig.RowOf(first));
  SendMessageW(rig.list(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rig.list()), -1);
  ASSERT_EQ(rig.menus, (std::vector<bool>{false, true}));
  RECT item{};
  ListView_GetItemRect(rig.list(), rig.RowOf(first), &item, LVIR_BOUNDS);
  MapWindowPoints(rig.list(), nullptr, reinterpret_cast<POINT*>(&item), 2);
  const POINT at = rig.menuPoints.back();
  EXPECT_TRUE(at.x >= item.left && at.x <= item.right && at.y >= item.top && at.y <= item.bottom + 1)
      << at.x << "," << at.y;
}

// Arrow keys move the details with the selection; the Delete key asks to
// delete the selected add-on, as the Delete command does.
TEST(UiTables, TheKeyboardMovesTheDetailsAndDeleteAsks) {
  Addons addons;
  for (const wchar_t* name : {L"Quill A Bar", L"Quill B Bar", L"Quill C Bar"})
    addons.Toolbar(HKEY_LOCAL_MACHINE, kToolbarList, name, CompanyFile());
  TableRig rig(TableId::kToolbars);
  ASSERT_EQ(rig.Rows(), 3);
  SetFocus(rig.list());
  rig.Select(0);
  auto key = [&](UINT vk) {
    SendMessageW(rig.list(), WM_KEYDOWN, vk, 1);
    SendMessageW(rig.list(), WM_KEYUP, vk, 0xC0000001);
    Pump();
  };
  rig.details().ShowDetails(CParams());
  key(VK_DOWN);
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(rig.Details().size(), 6u);  // file, maker, users, architecture, state, signature
  key(VK_END);
  EXPECT_EQ(rig.SelectedRows(), std::vector<int>{2});

  const Snapshot before = TakeSnapshot(addons.Classes());
  DialogAnswerer answers({L"No"});
  // Held down, the key repeats: still one question.
  SendMessageW(rig.list(), WM_KEYDOWN, VK_DELETE, 1);
  SendMessageW(rig.list(), WM_KEYDOWN, VK_DELETE, 0x40000001);
  SendMessageW(rig.list(), WM_KEYUP, VK_DELETE, 0xC0000001);
  Pump();
  const auto seen = answers.Finish();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, L"Delete Toolbar");
  const std::wstring asked = L"Are you sure you want to delete " + rig.Text(2) + L" toolbar?";
  EXPECT_NE(seen[0].texts.find(asked), std::wstring::npos) << Narrow(seen[0].texts);
  EXPECT_EQ(TakeSnapshot(addons.Classes()), before);
  EXPECT_EQ(rig.Rows(), 3);
}
