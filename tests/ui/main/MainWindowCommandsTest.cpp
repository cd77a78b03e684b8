// The commands in the window on a toolbar of our own: file properties,
// delete from the ribbon, the row menu and the key (its messages over the
// list), F5, Turn Off and Turn On.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "backup/RegistryBackup.h"
#include "core/Strings.h"
#include "engine/kinds/AddonStateReader.h"
#include "ozcore/FormatText.h"
#include "ui/dialogs/ShowMessage.h"
#include "ui/main/CategoryTree.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindowHarness.h"
#include "ui/tables/TableControlBase.h"

using namespace mainwindowtest;
using namespace qlmtest;

namespace {

using MainWindowCommands = WindowOverToolbars;

bool Listed(HWND list, const std::wstring& name) {
  const auto rows = ListTexts(list);
  return std::find(rows.begin(), rows.end(), name) != rows.end();
}

}  // namespace

TEST_F(MainWindowCommands, PropertiesShowTheSheetOrSayTheFileIsGone) {
  EXPECT_TRUE(Run(Commands::kFileProperties).empty());
  EXPECT_TRUE(Run(Commands::kRowProperties).empty());
  // Enter in the list, as in the system's own tools.
  EXPECT_TRUE(main_.TakeKeyBeforeDispatch(MSG{list_, WM_KEYDOWN, VK_RETURN, 0, 0, {}}));
  ASSERT_EQ(properties_.size(), 3u);
  EXPECT_EQ(_wcsicmp(properties_[0].c_str(), zebra_.File().c_str()), 0) << Narrow(properties_[0]);
  EXPECT_TRUE(properties_[1] == properties_[0] && properties_[2] == properties_[0]);

  // With no row selected, the commands on the file start nothing.
  for (int id :
       {Commands::kFileProperties, Commands::kRowProperties, Commands::kGoogleFileName, Commands::kRowGoogleFileName}) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(Run(id).empty()) << id;
  }
  EXPECT_TRUE(addresses_.empty());
  EXPECT_EQ(properties_.size(), 3u);

  ASSERT_TRUE(SelectRow(list_, zebra_.Name()));
  zebra_.RemoveFile();
  const auto shown = Run(Commands::kRowProperties, {L"OK"});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, LoadStr(IDS_PRODUCT_NAME));
  EXPECT_EQ(shown[0].buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_EQ(shown[0].owner, main_.Hwnd());
  // Messages take their icon from the Delete command's image.
  EXPECT_NE(shown[0].icon, nullptr);
  EXPECT_EQ(shown[0].icon, main_.Images().Icon(dialogs::kMessageIconCommand, dialogs::kMessageIconSize));
  EXPECT_NE(shown[0].texts.find(formattext::Format(LoadStr(IDS_FILE_NOT_FOUND), {properties_[0]})), std::wstring::npos)
      << Narrow(shown[0].texts);
  EXPECT_EQ(properties_.size(), 3u);
}

TEST_F(MainWindowCommands, DeleteAsksFirstFromTheRowMenuTheKeyAndTheRibbonOverTheList) {
  RECT list{};
  GetWindowRect(list_, &list);
  auto overList = [&](const Dialog& dialog) {
    const POINT centre{(dialog.window.left + dialog.window.right) / 2, (dialog.window.top + dialog.window.bottom) / 2};
    return PtInRect(&list, centre) != FALSE;
  };
  auto shown = Run(Commands::kRowDelete, {L"No"});
  ASSERT_EQ(shown.size(), 1u);
  // The browser can turn a toolbar off: that is offered beside deleting.
  EXPECT_EQ(shown[0].buttons, (std::vector<std::wstring>{LoadStr(IDS_DELETE_OR_TURN_OFF), L"Yes", L"No"}));
  EXPECT_TRUE(zebra_.Registered() && overList(shown[0]));
  // The Delete key asks the same, over the list, once however long it is held.
  ASSERT_TRUE(SelectRow(list_, zebra_.Name()));
  {
    DialogAnswerer answer({L"No"});
    SendMessageW(list_, WM_KEYDOWN, VK_DELETE, 1);
    SendMessageW(list_, WM_KEYDOWN, VK_DELETE, 0x40000001);
    SendMessageW(list_, WM_KEYUP, VK_DELETE, 0xC0000001);
    Pump();
    ASSERT_EQ(answer.StopAndSeen().size(), 1u);
    EXPECT_TRUE(overList(answer.StopAndSeen()[0]));
  }
  ASSERT_TRUE(SelectRow(list_, zebra_.Name()));
  shown = Run(Commands::kDelete, {L"Yes", L"OK"});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(overList(shown[0]) && overList(shown[1]));
  EXPECT_FALSE(zebra_.Registered());
  EXPECT_FALSE(Listed(CurrentList(main_), zebra_.Name()));

  // F5, as in the system's own tools, reads the registry again (both
  // refresh commands: CommandDispatch).
  FixtureToolbar second(L"Qlm Second Bar " + pid_);
  EXPECT_FALSE(Listed(CurrentList(main_), second.Name()));
  EXPECT_TRUE(main_.TakeKeyBeforeDispatch(MSG{main_.Tree()->TreeHwnd(), WM_KEYDOWN, VK_F5, 0, 0, {}}));
  EXPECT_TRUE(Listed(CurrentList(main_), second.Name()));
}

// Turn Off and Turn On for the fixture (a machine toolbar): the ribbon, the
// row menu and the keys ask for whom, change the current user's settings
// and show the state; deleting can turn it off instead.
TEST_F(MainWindowCommands, TurnOffAndOnAskForWhomAndShowTheState) {
  const std::wstring key = RegistryBackup::CurrentUserSid() + L"\\" + discovery::AddonSettingsPath(zebra_.Clsid());
  ASSERT_FALSE(KeyPresent(HKEY_USERS, key));
  const std::size_t backups = state_.BackupFiles().size();
  // The fixture's state text, and whether its row is greyed.
  auto stateOfRow = [&] {
    TableControlBase& toolbars = *main_.Lists().front();
    for (std::size_t i = 0; i < toolbars.Records().size(); ++i)
      if (toolbars.Records()[i]->ID == zebra_.Clsid())
        return std::pair{toolbars.Records()[i]->params.Text(L"state"), toolbars.List().Inactive(i)};
    return std::pair{std::wstring(L"(not listed)"), false};
  };
  // Selects the fixture's row again in the list showing, then runs.
  auto runOnRow = [&](int command, const std::wstring& press) {
    list_ = CurrentList(main_);
    EXPECT_TRUE(SelectRow(list_, zebra_.Name()));
    return Run(command, {press}).size();
  };
  EXPECT_EQ(stateOfRow(), std::pair(LoadStr(IDS_STATE_ON), false));

  auto shown = Run(Commands::kTurnOff, {L"Cancel"});
  ASSERT_EQ(shown.size(), 1u);
  const std::wstring forMe = LoadStr(IDS_TURN_FOR_ME);
  EXPECT_EQ(shown[0].buttons, (std::vector<std::wstring>{forMe, LoadStr(IDS_TURN_FOR_EVERYONE), L"Cancel"}));
  // The question names whose settings "for me" changes: the signed-in user's.
  wchar_t user[257] = {};
  DWORD userSize = 257;
  ASSERT_TRUE(GetUserNameW(user, &userSize));
  EXPECT_NE(shown[0].texts.find(user), std::wstring::npos) << Narrow(shown[0].texts);
  EXPECT_FALSE(KeyPresent(HKEY_USERS, key));

  EXPECT_EQ(runOnRow(Commands::kRowTurnOff, forMe), 1u);
  EXPECT_TRUE(KeyPresent(HKEY_USERS, key));
  EXPECT_EQ(stateOfRow().first.rfind(formattext::Format(LoadStr(IDS_STATE_OFF_FOR), {L""}), 0), 0u)
      << Narrow(stateOfRow().first);
  EXPECT_TRUE(stateOfRow().second);
  EXPECT_EQ(state_.BackupFiles().size(), backups + 1);

  // Ctrl+E in the list: Turn On, asked the same way.
  list_ = CurrentList(main_);
  ASSERT_TRUE(SelectRow(list_, zebra_.Name()));
  {
    DialogAnswerer answer({forMe});
    KeysHeld control(VK_CONTROL);
    EXPECT_TRUE(main_.TakeKeyBeforeDispatch(MSG{list_, WM_KEYDOWN, 'E', 0, 0, {}}));
    Pump();
    EXPECT_EQ(answer.StopAndSeen().size(), 1u);
  }
  EXPECT_FALSE(KeyPresent(HKEY_USERS, key));
  EXPECT_EQ(stateOfRow(), std::pair(LoadStr(IDS_STATE_ON), false));

  // Deleting, the user picks turning off instead: the entry stays.
  EXPECT_EQ(runOnRow(Commands::kDelete, LoadStr(IDS_DELETE_OR_TURN_OFF)), 1u);
  EXPECT_TRUE(zebra_.Registered());
  EXPECT_TRUE(KeyPresent(HKEY_USERS, key));
  runOnRow(Commands::kTurnOn, forMe);
  EXPECT_FALSE(KeyPresent(HKEY_USERS, key));
  EXPECT_EQ(state_.BackupFiles().size(), backups + 4);  // one saved file per change
}
