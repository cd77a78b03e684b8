// The whole corpus of hostile entries in the browser's own keys: the
// backup leaves out what it cannot carry and merges back the rest, and the
// program starts over it. (Deleting such entries: the tables' test.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "HostileCorpus.h"
#include "support/LogLines.h"
#include "support/ProgramProcess.h"
#include "core/ProgramLog.h"
#include "core/Strings.h"
#include "support/WindowProbe.h"
#include "backup/RegistryBackup.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MainWindowHarness.h"
#include "StringIds.h"

using namespace qlmtest;

namespace {

// The browser's keys the corpus writes into.
const std::vector<hostile::Area> kAreas = {
    {HKEY_CURRENT_USER, hostile::kUserMenuExt},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Extensions"},
    {HKEY_CURRENT_USER, hostile::kUserToolbars},
    {HKEY_LOCAL_MACHINE, hostile::kMachineBhos},
};

hostile::Snapshot WithoutOmitted(hostile::Snapshot snapshot, const std::vector<RegOmission>& omitted) {
  for (const auto& omission : omitted)
    snapshot = omission.isValue ? hostile::WithoutValue(snapshot, omission.key, omission.value)
                                : hostile::WithoutKey(snapshot, omission.key);
  return snapshot;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(L"\r\n", start)) != std::wstring::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

TEST(HostileCorpus, TheBackupMergesBackExactlyWhatItDidNotReportLeftOut) {
  hostile::Corpus corpus;
  const hostile::Snapshot before = hostile::TakeSnapshot(kAreas);
  std::vector<RegOmission> omitted;
  const std::wstring text = RegistryBackup::BackupText(true, RegistryBackup::CurrentUserSid(), &omitted);

  // No line of the file is the data's: no smuggled section, no deletion
  // line, nothing read through a link, no raw NUL or lone line break.
  for (const auto& line : Lines(text)) {
    EXPECT_NE(Upper(line).rfind(L"[HKEY_LOCAL_MACHINE\\" + Upper(hostile::kCanary), 0), 0u) << Narrow(line);
    EXPECT_NE(line.rfind(L"[-", 0), 0u) << Narrow(line);
    EXPECT_NE(line.rfind(L"\"x\"=", 0), 0u) << Narrow(line);
    EXPECT_EQ(line.find_first_of(std::wstring(L"\0\r\n", 3)), std::wstring::npos) << Narrow(line);
  }
  EXPECT_EQ(text.find(L"victim value"), std::wstring::npos);
  // Every kind of leaving out is reported, and its log text shows names
  // with their control characters made visible.
  for (auto reason : {RegOmissionReason::NameNotCarried, RegOmissionReason::Link, RegOmissionReason::TooDeep,
                      RegOmissionReason::TooLarge}) {
    EXPECT_TRUE(std::any_of(omitted.begin(), omitted.end(), [&](const RegOmission& o) { return o.reason == reason; }))
        << static_cast<int>(reason);
  }
  for (const auto& omission : omitted) {
    const std::wstring logText = RegistryBackup::OmissionText(omission);
    EXPECT_FALSE(std::any_of(logText.begin(), logText.end(), [](wchar_t ch) { return ch < 0x20; })) << Narrow(logText);
  }

  // Emptied areas, then the merge.
  for (const auto& area : kAreas) {
    const auto slash = area.path.rfind(L'\\');
    hostile::DeleteTree(area.root, area.path.substr(0, slash), area.path.substr(slash + 1));
  }
  TempFolder tmp;
  ASSERT_TRUE(RegImport(text, tmp.Path()));

  const hostile::Snapshot after = hostile::TakeSnapshot(kAreas);
  const hostile::Snapshot expected = WithoutOmitted(before, omitted);
  EXPECT_EQ(after.size(), expected.size());
  for (const auto& [key, lines] : expected) {
    auto it = after.find(key);
    ASSERT_NE(it, after.end()) << "not restored: " << Narrow(key);
    EXPECT_EQ(it->second, lines) << Narrow(key);
  }
  for (const auto& [key, lines] : after) EXPECT_TRUE(expected.count(key)) << "written though not there: " << Narrow(key);
  EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, hostile::kCanary));
}

TEST(HostileCorpus, TheProgramStartsListsAndWritesItsStartupBackup) {
  hostile::Corpus corpus;
  ProgramProcess program({L"qmscan.exe"});
  TempFolder data;
  ASSERT_TRUE(program.Copied());

  // The inventory lists the corpus and ends normally.
  EXPECT_EQ(RunProcess(L"\"" + program.File(L"qmscan.exe") + L"\" --json"), 0);

  ASSERT_TRUE(program.Start(data.Path()));
  HWND main = WaitForWindowOf(program.Pid());
  ASSERT_NE(main, nullptr) << "the main window did not appear";
  // The start-up backup is the last step of loading: once the window is
  // up and idle, it is written.
  const std::wstring folder = data.File(L"Quillmoor");
  WIN32_FIND_DATAW found{};
  HANDLE find = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 600 && find == INVALID_HANDLE_VALUE; ++i, Sleep(100))
    find = FindFirstFileW((folder + L"\\Backup\\Backup *.reg").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no start-up backup";
  FindClose(find);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);

  const std::wstring backup = ReadUtf16File(folder + L"\\Backup\\" + found.cFileName);
  EXPECT_NE(backup.find(L"res://C:\\\\Nowhere\\\\same.dll/page.htm"), std::wstring::npos);
  EXPECT_EQ(backup.find(L"victim value"), std::wstring::npos);
  const auto log = LogLines(folder + L"\\QLM.log");
  const std::wstring leftOut = LoadStr(IDS_BACKUP_LEFT_OUT_KEY);
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::wstring& line) {
    return line.find(L"MAPI.BackupRegistry  " + leftOut.substr(0, leftOut.find(L"%1"))) != std::wstring::npos &&
           line.find(L"^@evil") != std::wstring::npos;
  }));
}

TEST(HostileCorpus, TheBackupCommandSaysHowManyEntriesItLeftOut) {
  hostile::Corpus corpus;
  mainwindowtest::ProgramState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Open());
  {
    DialogAnswerer answer({L"OK"});
    main.RunCommand(Commands::kBackup);
    const auto seen = answer.StopAndSeen();
    ASSERT_EQ(seen.size(), 1u);
    const std::wstring& text = seen[0].texts;
    const std::wstring said = LoadStr(IDS_BACKUP_INCOMPLETE);
    EXPECT_NE(text.find(said.substr(0, said.find(L"%1"))), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(said.substr(said.find(L"%1") + 2)), std::wstring::npos);
    EXPECT_EQ(text.find(LoadStr(IDS_BACKUP_DONE)), std::wstring::npos);
  }
  EXPECT_FALSE(state.BackupFiles().empty());
  main.Destroy();
}
