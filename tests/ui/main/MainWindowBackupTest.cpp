// The Backup command of the main window (Restore: DataFolderLinksTest.cpp).
#include <gtest/gtest.h>

#include "core/Strings.h"
#include "support/WindowProbe.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowHarness.h"

using namespace mainwindowtest;
using namespace qlmtest;

TEST(MainWindowBackup, BackupReportsSuccessOnlyWhenAFileWasWritten) {
  ProgramState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Open());
  auto backup = [&] {
    DialogAnswerer answer({L"OK"});
    main.RunCommand(Commands::kBackup);
    const auto seen = answer.StopAndSeen();
    EXPECT_EQ(seen.size(), 1u);
    return seen.empty() ? Dialog{} : seen[0];
  };
  const Dialog done = backup();
  EXPECT_NE(done.texts.find(LoadStr(IDS_BACKUP_DONE)), std::wstring::npos) << Narrow(done.texts);
  EXPECT_EQ(done.title, LoadStr(IDS_PRODUCT_NAME));
  EXPECT_EQ(done.buttons, std::vector<std::wstring>{L"OK"});
  EXPECT_FALSE(main.Busy());
  EXPECT_FALSE(state.BackupFiles().empty());
  EXPECT_EQ(main.Status().Text(StatusBar::kBackupPart).rfind(L"Last backup: ", 0), 0u);

  // A file where the backup folder belongs: nothing can be written, and the
  // user is told so instead of being told it worked.
  const std::wstring folder = state.DataFolder() + L"\\Backup";
  ASSERT_TRUE(MoveFileW(folder.c_str(), (folder + L"-moved").c_str()));
  WriteBytes(folder, "not a folder");
  const Dialog failed = backup();
  EXPECT_NE(failed.texts.find(LoadStr(IDS_BACKUP_FAILED)), std::wstring::npos) << Narrow(failed.texts);
  EXPECT_EQ(failed.texts.find(LoadStr(IDS_BACKUP_DONE)), std::wstring::npos);
  EXPECT_FALSE(main.Busy()) << "the hourglass stays";
  const auto log = state.LogRecords();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find(L"MAPI.BackupRegistry"), std::wstring::npos) << Narrow(log.back());
  main.Destroy();
}
