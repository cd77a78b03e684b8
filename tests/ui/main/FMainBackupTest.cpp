// The Backup and Restore commands of the main window.
#include <gtest/gtest.h>

#include "support/WindowProbe.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/FMainHarness.h"

using namespace fmaintest;
using namespace qlmtest;

TEST(FMainBackup, BackupReportsSuccessOnlyWhenAFileWasWritten) {
  ProcessState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Load());
  {
    DialogAnswerer answer({L"OK"});
    main.RunCommand(Commands::kBackup);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_NE(answer.Seen()[0].texts.find(L"Backup complete successfully."), std::wstring::npos);
    EXPECT_EQ(answer.Seen()[0].title, L"Quillmoor");
    EXPECT_EQ(answer.Seen()[0].buttons, std::vector<std::wstring>{L"OK"});
  }
  EXPECT_FALSE(main.Busy());
  EXPECT_FALSE(state.BackupFiles().empty());
  EXPECT_EQ(main.Status().Text(StatusBar::kBackupPart).rfind(L"Last backup: ", 0), 0u);

  // A file where the backup folder belongs: nothing can be written, and the
  // user is told so instead of being told it worked.
  const std::wstring folder = state.DataFolder() + L"\\Backup";
  ASSERT_TRUE(MoveFileW(folder.c_str(), (folder + L"-moved").c_str()));
  WriteBytes(folder, "not a folder");
  {
    DialogAnswerer answer({L"OK"});
    main.RunCommand(Commands::kBackup);
    ASSERT_EQ(answer.Seen().size(), 1u);
    EXPECT_NE(answer.Seen()[0].texts.find(L"Backup failed. See the log for details."), std::wstring::npos)
        << Narrow(answer.Seen()[0].texts);
    EXPECT_EQ(answer.Seen()[0].texts.find(L"successfully"), std::wstring::npos);
  }
  EXPECT_FALSE(main.Busy()) << "the hourglass stays";
  const auto log = state.LogRecords();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find(L"MAPI.BackupRegistry"), std::wstring::npos) << Narrow(log.back());
  main.Unload();
}

TEST(FMainBackup, RestoreExplainsThenOpensTheBackupFolder) {
  ProcessState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Load());
  struct Request {
    std::wstring folder;
    HWND owner;
    bool dialogOpen;
  };
  std::vector<Request> requests;
  main.Shell().openFolder = [&](const std::wstring& folder, HWND owner) {
    // The message must be closed before the folder opens: one look, no wait.
    const HWND open = WaitForTopLevel([](HWND hwnd) {
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      return pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770";
    }, 0);
    requests.push_back({folder, owner, open != nullptr});
  };
  DialogAnswerer answer({L"OK"});
  main.RunCommand(Commands::kRestore);
  ASSERT_EQ(answer.Seen().size(), 1u);
  EXPECT_NE(answer.Seen()[0].texts.find(
                L"Windows Explorer window will be opened now. Double click on backup file to restore."),
            std::wstring::npos);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].folder, state.DataFolder() + L"\\Backup\\");
  EXPECT_EQ(requests[0].owner, main.Hwnd());
  EXPECT_FALSE(requests[0].dialogOpen);
  main.Unload();
}
