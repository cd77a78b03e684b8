// The whole corpus of hostile entries in the browser's own keys: the
// backup leaves out what it cannot carry and merges back the rest, each
// deletion takes exactly its row, and the program starts over it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "HostileCorpus.h"
#include "support/LogLines.h"
#include "support/ProgramProcess.h"
#include "core/ProcessState.h"
#include "support/WindowProbe.h"
#include "backup/RegistryBackup.h"
#include "ui/tables/TableControlBase.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/FMainHarness.h"
#include "ui/tables/TableTestKit.h"

using namespace qlmtest;

namespace {

constexpr std::int32_t kMenuExtTable = 5;

struct Area {
  HKEY root;
  std::wstring parent, leaf;
  std::wstring Path() const { return parent + L"\\" + leaf; }
};
const std::vector<Area>& Areas() {
  static const std::vector<Area> areas = {
      {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", L"MenuExt"},
      {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", L"Extensions"},
      {HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Toolbar", L"WebBrowser"},
      {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", L"Browser Helper Objects"},
  };
  return areas;
}

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Key names compare without regard to case; the backup spells some roots
// of its trees in capitals.
hostile::Snapshot AllAreas() {
  hostile::Snapshot all;
  for (const auto& area : Areas())
    for (auto& [key, lines] : hostile::TakeSnapshot(area.root, area.Path())) all[Upper(key)] = lines;
  return all;
}

hostile::Snapshot WithoutOmitted(hostile::Snapshot snapshot, const std::vector<RegOmission>& omitted) {
  for (const auto& omission : omitted) {
    const std::wstring key = Upper(omission.key);
    if (omission.isValue) {
      auto it = snapshot.find(key);
      if (it == snapshot.end()) continue;
      auto& lines = it->second;
      lines.erase(std::remove_if(lines.begin(), lines.end(),
                                 [&](const std::wstring& line) { return line.rfind(omission.value + L"=", 0) == 0; }),
                  lines.end());
      continue;
    }
    for (auto it = snapshot.begin(); it != snapshot.end();)
      it = it->first == key || it->first.rfind(key + L"\\", 0) == 0 ? snapshot.erase(it) : std::next(it);
  }
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
  const hostile::Snapshot before = AllAreas();
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
  for (const auto& area : Areas()) hostile::DeleteTree(area.root, area.parent, area.leaf);
  TempFolder tmp;
  ASSERT_TRUE(RegImport(text, tmp.Path()));

  const hostile::Snapshot after = AllAreas();
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

TEST(HostileCorpus, EachDeletionTakesExactlyItsRow) {
  hostile::Corpus corpus;
  tabletest::TableRig rig(kMenuExtTable);
  // Names that differ only by what cannot be seen never look the same.
  ASSERT_GE(rig.RowOf(corpus.same), 0);
  ASSERT_GE(rig.RowOf(corpus.sameHidden), 0);
  EXPECT_NE(rig.Text(rig.RowOf(corpus.same)), rig.Text(rig.RowOf(corpus.sameHidden)));
  EXPECT_EQ(rig.Text(rig.RowOf(corpus.nulFirst)), L"^@evil");
  EXPECT_EQ(rig.Text(rig.RowOf(corpus.escape)), L"esc^[[2Jclear");
  // A value too large to read is shown by its size, not read.
  rig.Select(rig.RowOf(corpus.huge));
  const auto details = rig.Details();
  EXPECT_NE(std::find(details.begin(), details.end(), L"File=Value too large (67108864 bytes), not read"),
            details.end());

  const hostile::Snapshot victim = hostile::TakeSnapshot(HKEY_CURRENT_USER, corpus.Victim().Path());
  const std::wstring area = Upper(L"HKEY_CURRENT_USER\\" + hostile::kUserMenuExt);
  for (const auto& target : {corpus.nulFirst, corpus.sameHidden, corpus.linkToVictim, corpus.sectionName,
                             corpus.formula, corpus.linkLoop}) {
    SCOPED_TRACE(Narrow(target));
    const int row = rig.RowOf(target);
    ASSERT_GE(row, 0);
    rig.Select(row);
    const hostile::Snapshot before = AllAreas();
    {
      tabletest::DialogAnswerer answers({L"Yes", L"OK"});
      rig.table().Remove();
      const auto seen = answers.Finish();
      ASSERT_EQ(seen.size(), 2u);
      EXPECT_NE(seen[1].texts.find(L"deleted successfully"), std::wstring::npos) << Narrow(seen[1].texts);
    }
    RegOmission gone;
    gone.key = area + L"\\" + Upper(target);
    EXPECT_EQ(AllAreas(), WithoutOmitted(before, {gone}));
    EXPECT_LT(rig.RowOf(target), 0);
  }
  EXPECT_GE(rig.RowOf(corpus.same), 0);
  EXPECT_EQ(hostile::TakeSnapshot(HKEY_CURRENT_USER, corpus.Victim().Path()), victim);
}

TEST(HostileCorpus, TheProgramStartsListsAndWritesItsStartupBackup) {
  hostile::Corpus corpus;
  ProgramProcess program({L"qmscan.exe"});
  TempFolder data;
  ASSERT_TRUE(program.Copied());

  // The inventory lists the corpus and ends normally.
  EXPECT_EQ(RunProcess(L"\"" + program.File(L"qmscan.exe") + L"\" --json"), 0);

  ASSERT_TRUE(program.Start(data.Path()));
  HWND main = WaitForTopLevel([&](HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == program.Pid() && IsWindowVisible(hwnd) && WindowText(hwnd) == L"   Quillmoor";
  });
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
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::wstring& line) {
    return line.find(L"MAPI.BackupRegistry  Left out of the backup: key ") != std::wstring::npos &&
           line.find(L"^@evil") != std::wstring::npos;
  }));
}

TEST(HostileCorpus, TheBackupCommandSaysHowManyEntriesItLeftOut) {
  hostile::Corpus corpus;
  fmaintest::ProcessState state;
  MainWindow main(state.Files(), state.Data());
  ASSERT_TRUE(main.Load());
  {
    tabletest::DialogAnswerer answer({L"OK"});
    main.RunCommand(Commands::kBackup);
    const auto seen = answer.Finish();
    ASSERT_EQ(seen.size(), 1u);
    const std::wstring& text = seen[0].texts;
    EXPECT_NE(text.find(L"Backup written, but "), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L" entries could not be saved. See the log for details."), std::wstring::npos);
    EXPECT_EQ(text.find(L"successfully"), std::wstring::npos);
  }
  EXPECT_FALSE(state.BackupFiles().empty());
  main.Unload();
}
