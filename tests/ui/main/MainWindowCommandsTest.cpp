// The command dispatch on a toolbar of our own: file properties, delete
// from the ribbon, the row menu and the key (its messages over the list),
// F5, Turn Off and Turn On.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "backup/RegistryBackup.h"
#include "core/Strings.h"
#include "engine/kinds/AddonStateReader.h"
#include "support/RegFixture.h"
#include "ui/tables/TableControlBase.h"
#include "ozcore/FormatText.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowHarness.h"
#include "ui/main/TableHost.h"
#include "ui/main/CategoryTree.h"

using namespace mainwindowtest;
using namespace qlmtest;

namespace {

class MainWindowCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main_.Open());
    main_.Shell().openAddress = [this](const std::wstring& address) { addresses_.push_back(address); };
    main_.Shell().showFileProperties = [this](const std::wstring& file, HWND owner) {
      properties_.push_back(file);
      EXPECT_EQ(owner, main_.Hwnd());
    };
    list_ = CurrentList(main_);
    ASSERT_NE(list_, nullptr);
    ASSERT_TRUE(SelectRow(list_, bar_.Name())) << "the fixture toolbar is not listed";
  }
  void TearDown() override { main_.Destroy(); }

  // Runs a command; the dialogs it shows are answered in turn.
  std::vector<Dialog> Run(int command, std::vector<std::wstring> presses = {}) {
    DialogAnswerer answer(std::move(presses));
    main_.RunCommand(command);
    Pump();
    return answer.StopAndSeen();
  }

  // The fixture toolbar's state text, and whether its row is greyed.
  std::pair<std::wstring, bool> StateOfRow() {
    for (TableControlBase* table : main_.Lists()) {
      if (table->ID() != TableId::kToolbars) continue;
      for (std::size_t i = 0; i < table->Records().size(); ++i)
        if (table->Records()[i]->ID == bar_.Clsid())
          return {table->Records()[i]->params.Text(L"state"), table->List().Inactive(i)};
    }
    return {};
  }
  // A key with Ctrl held, as the window's message loop takes it in the list.
  bool PressWithControl(WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    const bool used = main_.TakeKeyBeforeDispatch(MSG{list_, WM_KEYDOWN, key, 0, 0, {}});
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    Pump();
    return used;
  }

  ProgramState state_;
  FixtureToolbar bar_{L"Qlm Dispatch Bar " + std::to_wstring(GetCurrentProcessId())};
  MainWindow main_{state_.Files(), state_.Data()};
  HWND list_ = nullptr;
  std::vector<std::wstring> addresses_, properties_;
};

}  // namespace

TEST_F(MainWindowCommands, PropertiesShowTheSheetOrSayTheFileIsGone) {
  EXPECT_TRUE(Run(Commands::kFileProperties).empty());
  EXPECT_TRUE(Run(Commands::kRowProperties).empty());
  // Enter in the list, as in the system's own tools.
  EXPECT_TRUE(main_.TakeKeyBeforeDispatch(MSG{list_, WM_KEYDOWN, VK_RETURN, 0, 0, {}}));
  ASSERT_EQ(properties_.size(), 3u);
  EXPECT_EQ(_wcsicmp(properties_[0].c_str(), bar_.File().c_str()), 0) << Narrow(properties_[0]);
  EXPECT_EQ(properties_[1], properties_[0]);
  EXPECT_EQ(properties_[2], properties_[0]);
  properties_.resize(2);

  // With no row selected, the commands on the file start nothing.
  for (int id :
       {Commands::kFileProperties, Commands::kRowProperties, Commands::kGoogleFileName, Commands::kRowGoogleFileName}) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(Run(id).empty()) << id;
  }
  EXPECT_TRUE(addresses_.empty());
  EXPECT_EQ(properties_.size(), 2u);
  ASSERT_TRUE(SelectRow(list_, bar_.Name()));

  bar_.RemoveFile();
  const auto shown = Run(Commands::kRowProperties, {L"OK"});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, LoadStr(IDS_PRODUCT_NAME));
  EXPECT_EQ(shown[0].buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_EQ(shown[0].owner, main_.Hwnd());
  EXPECT_NE(shown[0].texts.find(formattext::Format(LoadStr(IDS_FILE_NOT_FOUND), {properties_[0]})), std::wstring::npos)
      << Narrow(shown[0].texts);
  EXPECT_EQ(properties_.size(), 2u);
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
  EXPECT_TRUE(bar_.Registered() && overList(shown[0]));
  // The Delete key asks the same, over the list, once however long it is held.
  ASSERT_TRUE(SelectRow(list_, bar_.Name()));
  {
    DialogAnswerer answer({L"No"});
    SendMessageW(list_, WM_KEYDOWN, VK_DELETE, 1);
    SendMessageW(list_, WM_KEYDOWN, VK_DELETE, 0x40000001);
    SendMessageW(list_, WM_KEYUP, VK_DELETE, 0xC0000001);
    Pump();
    ASSERT_EQ(answer.StopAndSeen().size(), 1u);
    EXPECT_TRUE(overList(answer.StopAndSeen()[0]));
  }

  ASSERT_TRUE(SelectRow(list_, bar_.Name()));
  shown = Run(Commands::kDelete, {L"Yes", L"OK"});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(overList(shown[0]) && overList(shown[1]));
  EXPECT_FALSE(bar_.Registered());
  const auto rows = ListTexts(CurrentList(main_));
  EXPECT_EQ(std::find(rows.begin(), rows.end(), bar_.Name()), rows.end());
}

// Both refresh commands reach the host (CommandDispatch); F5 does too, as
// in the system's own tools, and the registry is read again.
TEST_F(MainWindowCommands, F5ReadsTheRegistryAgain) {
  FixtureToolbar second(L"Qlm Second Bar " + std::to_wstring(GetCurrentProcessId()));
  auto rows = ListTexts(CurrentList(main_));
  EXPECT_EQ(std::find(rows.begin(), rows.end(), second.Name()), rows.end());
  EXPECT_TRUE(main_.TakeKeyBeforeDispatch(MSG{main_.Tree()->TreeHwnd(), WM_KEYDOWN, VK_F5, 0, 0, {}}));
  rows = ListTexts(CurrentList(main_));
  EXPECT_NE(std::find(rows.begin(), rows.end(), second.Name()), rows.end());
}

// Turn Off and Turn On for the fixture (a machine toolbar): the ribbon, the
// row menu and the keys ask for whom, change the current user's settings
// and show the state; deleting can turn it off instead.
TEST_F(MainWindowCommands, TurnOffAndOnAskForWhomAndShowTheState) {
  const std::wstring key = RegistryBackup::CurrentUserSid() + L"\\" + discovery::AddonSettingsPath(bar_.Clsid());
  ASSERT_FALSE(KeyPresent(HKEY_USERS, key));
  const std::size_t backups = state_.BackupFiles().size();
  auto stateOfRow = [&] { return StateOfRow(); };
  EXPECT_EQ(stateOfRow(), (std::pair<std::wstring, bool>{LoadStr(IDS_STATE_ON), false}));

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

  ASSERT_TRUE(SelectRow(list_, bar_.Name()));
  shown = Run(Commands::kRowTurnOff, {forMe});
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(KeyPresent(HKEY_USERS, key));
  EXPECT_EQ(stateOfRow().first.rfind(formattext::Format(LoadStr(IDS_STATE_OFF_FOR), {L""}), 0), 0u)
      << Narrow(stateOfRow().first);
  EXPECT_TRUE(stateOfRow().second);
  EXPECT_EQ(state_.BackupFiles().size(), backups + 1);

  // Ctrl+E in the list: Turn On, asked the same way.
  list_ = CurrentList(main_);
  ASSERT_TRUE(SelectRow(list_, bar_.Name()));
  {
    DialogAnswerer answer({forMe});
    EXPECT_TRUE(PressWithControl('E'));
    EXPECT_EQ(answer.StopAndSeen().size(), 1u);
  }
  EXPECT_FALSE(KeyPresent(HKEY_USERS, key));
  EXPECT_EQ(stateOfRow(), (std::pair<std::wstring, bool>{LoadStr(IDS_STATE_ON), false}));

  // Deleting, the user picks turning off instead: the entry stays.
  list_ = CurrentList(main_);
  ASSERT_TRUE(SelectRow(list_, bar_.Name()));
  shown = Run(Commands::kDelete, {LoadStr(IDS_DELETE_OR_TURN_OFF)});
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(bar_.Registered());
  EXPECT_TRUE(KeyPresent(HKEY_USERS, key));
  list_ = CurrentList(main_);
  ASSERT_TRUE(SelectRow(list_, bar_.Name()));
  shown = Run(Commands::kTurnOn, {forMe});
  EXPECT_FALSE(KeyPresent(HKEY_USERS, key));
  EXPECT_EQ(state_.BackupFiles().size(), backups + 4);  // one saved file per change
}
