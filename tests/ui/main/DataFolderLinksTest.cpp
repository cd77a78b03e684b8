// The data folder belongs to the program: with the data folder, the Backup
// folder, a log or the names the start writes replaced by links to a victim
// folder, neither a start of the program nor a writing command changes a
// byte beyond the data folder, and what was refused is said. Run as an
// administrator, every file written into the Backup folder is recorded, so
// a backup changed afterwards is named before a restore and a changed
// inventory is not used to find what is new.
//
// Wine shows a Unix symbolic link as a link and makes none itself: the links
// are made, and removed, by a shell script (Windows calls on a link's name
// would reach its target).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "backup/AddonStateChange.h"
#include "backup/RegistryBackup.h"
#include "core/DataFiles.h"
#include "core/Strings.h"
#include "core/WrittenRecord.h"
#include "engine/kinds/AddonStateReader.h"
#include "inventory/InventoryFiles.h"
#include "inventory/InventoryText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/PathText.h"
#include "ozcore/Utf8Text.h"
#include "support/LogLines.h"
#include "support/ProgramProcess.h"
#include "support/WindowProbe.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainWindowHarness.h"
#include "ui/main/MainWindow.h"
#include "ui/main/StartInventory.h"

using namespace qlmtest;

namespace {

std::string Quoted(const std::wstring& path) {
  std::string quoted(1, '\'');
  quoted += UnixPath(path);
  quoted += '\'';
  return quoted;
}

// Runs a shell script (Unix paths single-quoted) and waits for its last
// line: Wine gives no handle to wait on for a Unix process.
void RunShell(const TempFolder& scratch, const std::string& script) {
  const std::wstring file = scratch.File(L"script.sh"), done = scratch.File(L"script.done");
  DeleteFileW(done.c_str());
  WriteBytes(file, script + "echo > " + Quoted(done) + "\n");
  RunProcess(L"Z:\\bin\\sh \"" + utf8text::FromUtf8(UnixPath(file)) + L"\"");
  for (int wait = 0; wait < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) Sleep(50);
}

// Unix symbolic (or hard) links, removed with the shell when the object goes.
class UnixLinks {
 public:
  void Add(const std::wstring& target, const std::wstring& link, bool hard = false) {
    made_ += (hard ? "ln " : "ln -s ") + Quoted(target) + " " + Quoted(link) + "\n";
    removed_ += "rm -f " + Quoted(link) + "\n";
    links_.push_back(link);
  }
  bool Make() {
    RunShell(scratch_, made_);
    return std::all_of(links_.begin(), links_.end(),
                       [](const auto& link) { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
  }
  ~UnixLinks() { RunShell(scratch_, removed_); }

 private:
  TempFolder scratch_;
  std::string made_, removed_;
  std::vector<std::wstring> links_;
};

// Every plain file of a folder with its bytes, read by the test itself.
std::map<std::wstring, std::string> Contents(const std::wstring& folder) {
  std::map<std::wstring, std::string> files;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") files[name] = ReadBytes(folder + L"\\" + name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

bool AnyLineHas(const std::vector<std::wstring>& lines, const std::wstring& part) {
  return std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.find(part) != std::wstring::npos; });
}

void StartAndClose(const std::wstring& dataParent) {
  ProgramProcess program;
  ASSERT_TRUE(program.Copied());
  ASSERT_TRUE(program.Start(dataParent));
  const HWND window = WaitForWindowOf(program.Pid());
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0);
}

SYSTEMTIME SecondsFromNow(int seconds) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ull;
  const FILETIME later{t.LowPart, t.HighPart};
  FILETIME local{};
  SYSTEMTIME result{};
  FileTimeToLocalFileTime(&later, &local);
  FileTimeToSystemTime(&local, &result);
  return result;
}

// Where adware puts a link, and what the program must then say.
struct Place {
  const char* what;
  const wchar_t* folders;  // made for real below the data parent first
  const wchar_t* link;     // below the data parent, to the victim folder; "" for the names
  bool toFile;             // the link leads to a victim file instead
  bool hard;               // a second name of that file rather than a link
  bool refused;            // the writing commands are refused
  const wchar_t* log;      // the log that says what was refused, and the place it names
  const wchar_t* named;
};

// The link of the place, or links at the names the start and the commands
// write (inventory, backup, the old temporary name) for two minutes.
void PlantLinks(const Place& place, const TempFolder& parent, const std::wstring& target, UnixLinks& links) {
  if (*place.link) links.Add(target, parent.File(place.link), place.hard);
  for (int second = 0; !*place.link && second < 120; ++second) {
    const SYSTEMTIME t = SecondsFromNow(second);
    const std::wstring backup = parent.File(place.folders);
    const std::wstring inventory = inventory::InventoryFileName(backup, t);
    for (const auto& name : {inventory, inventory + L".partial", RegistryBackup::BackupFileName(backup, t)})
      links.Add(target, name);
  }
}

// Backup, Turn Off (undone after) and Save List into the Backup folder, run
// in this process as an administrator; the refusal texts each gave.
std::vector<std::wstring> RunWritingCommands(const core::DataFolder& data) {
  const std::wstring id = NewClsid(), user = RegistryBackup::CurrentUserSid();
  std::wstring backup;
  const bool backedUp = RegistryBackup::BackupRegistry(data, nullptr, nullptr, &backup);
  const auto turned = addonstate::ChangeState(data, id, RegView::Default, {user}, addonstate::Change::TurnOff);
  DeleteTree(HKEY_USERS, user + L"\\" + discovery::AddonSettingsPath(id));
  const auto listed = core::WriteChosenFile(data, data.BackupFolder() + L"\\list.csv", "a,b\r\n");
  std::vector<std::wstring> refusals;
  if (!backedUp) refusals.push_back(backup);
  if (turned.outcome == addonstate::Outcome::BackupFailed) refusals.push_back(turned.refusal);
  if (listed.outcome.Refused()) refusals.push_back(listed.outcome.text);
  return refusals;
}

}  // namespace

TEST(DataFolderLinks, NothingBeyondTheDataFolderIsWrittenAndRefusalsAreSaid) {
  const Place places[] = {
      {"data folder", L"", L"Quillmoor", false, false, true, nullptr, nullptr},
      {"backup folder", L"Quillmoor", L"Quillmoor\\Backup", false, false, true, L"Quillmoor\\QLM.log", L"Quillmoor\\Backup"},
      {"full log", L"Quillmoor", L"Quillmoor\\QLM.log", true, false, false, L"Quillmoor\\short.log", L"Quillmoor\\QLM.log"},
      {"short log, a second name", L"Quillmoor", L"Quillmoor\\short.log", true, true, false, L"Quillmoor\\QLM.log",
       L"Quillmoor\\short.log"},
      {"names the start writes", L"Quillmoor\\Backup", L"", true, false, false, nullptr, nullptr},
  };
  for (const auto& place : places) {
    SCOPED_TRACE(place.what);
    TempFolder parent, victimParent;
    const std::wstring victim = victimParent.File(L"victim");
    ASSERT_TRUE(CreateDirectoryW(victim.c_str(), nullptr));
    WriteBytes(victim + L"\\victim.txt", "the victim's own text\r\n");
    WriteBytes(victim + L"\\Backup Jan 01, 2020 00-00-00.reg", std::string("\xFF\xFE" "R\0E\0", 6));
    const auto before = Contents(victim);
    if (*place.folders) {
      ASSERT_TRUE(CFileSystem::EnsureFolder(parent.File(place.folders)));
    }
    UnixLinks links;
    PlantLinks(place, parent, place.toFile ? victim + L"\\victim.txt" : victim, links);
    ASSERT_TRUE(links.Make());

    StartAndClose(parent.Path());
    const auto refusals = RunWritingCommands({parent.File(L"Quillmoor"), true, core::RunsAsAdministrator()});
    EXPECT_EQ(refusals.size(), place.refused ? 3u : 0u);
    for (const auto& refusal : refusals) EXPECT_NE(refusal.find(parent.File(place.link)), std::wstring::npos) << Narrow(refusal);

    EXPECT_TRUE(Contents(victim) == before) << "a victim file was changed, made or removed";
    // Nothing beside the data folder either.
    const auto beside = Contents(parent.Path());
    EXPECT_TRUE(beside.size() == 1 && beside.count(L"Quillmoor")) << beside.size();
    if (place.log) {
      const auto lines = LogLines(parent.File(place.log));
      EXPECT_TRUE(AnyLineHas(lines, parent.File(place.named))) << "the refusal is not in " << Narrow(place.log);
    }
  }
}

TEST(DataFolderLinks, ChosenFileReplacesALinkAtItsNameNeverItsTarget) {
  TempFolder parent, elsewhere, victimParent;
  const core::DataFolder data{parent.File(L"Quillmoor"), true, false};
  ASSERT_TRUE(CFileSystem::EnsureFolder(data.BackupFolder()));
  const std::wstring victim = victimParent.File(L"victim.txt");
  WriteBytes(victim, "the victim's own text");
  UnixLinks links;
  const std::wstring names[] = {data.path + L"\\list.csv", data.BackupFolder() + L"\\list.csv", elsewhere.File(L"list.csv")};
  for (const auto& name : names) links.Add(victim, name);
  ASSERT_TRUE(links.Make());
  for (const auto& name : names) {
    const auto written = core::WriteChosenFile(data, name, "kind,name\r\n");
    EXPECT_TRUE(written.written) << Narrow(name) << " " << Narrow(written.outcome.text);
    EXPECT_EQ(ReadBytes(name), "kind,name\r\n");
  }
  EXPECT_EQ(ReadBytes(victim), "the victim's own text");
}

// An administrator's run, which the test process under Wine is.
class DataFolderRecords : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(data_.elevated) << "the records are kept in an administrator's run only"; }

  mainwindowtest::ProgramState state_;  // COM, a logger and a file resolver
  TempFolder parent_;
  const core::DataFolder data_{parent_.File(L"Quillmoor"), true, core::RunsAsAdministrator()};
};

TEST_F(DataFolderRecords, ChangedBackupsAreNamedBeforeARestore) {
  // Recorded as written: the hash is the one sha256sum gives.
  std::wstring backup;
  ASSERT_TRUE(RegistryBackup::BackupRegistry(data_, &backup));
  RunShell(parent_, "sha256sum " + Quoted(backup) + " > " + Quoted(parent_.File(L"sum.txt")) + "\n");
  EXPECT_EQ(core::written::RecordedHash(backup),
            std::optional<std::wstring>(utf8text::FromUtf8(ReadBytes(parent_.File(L"sum.txt")).substr(0, 64))));
  const core::PlaceFiles folder(data_, core::DataPlace::Backup, false);
  ASSERT_TRUE(folder.Write(L"Backup kept.reg", "\xFF\xFE", true).written);

  // Adware adds a line to one backup and plants another.
  WriteBytes(backup, ReadBytes(backup) + std::string("[\0H\0K\0L\0M\0]\0", 12));
  WriteBytes(data_.BackupFolder() + L"\\Backup planted.reg", "\xFF\xFE");
  WriteBytes(data_.BackupFolder() + L"\\notes.txt", "not a backup");
  std::vector<std::wstring> changed = folder.ChangedFiles(L".reg");
  std::sort(changed.begin(), changed.end());
  EXPECT_EQ(changed, (std::vector<std::wstring>{pathtext::FileNamePart(backup), L"Backup planted.reg"}));
  core::DataFolder plain = data_;
  plain.elevated = false;
  EXPECT_TRUE(core::PlaceFiles(plain, core::DataPlace::Backup, false).ChangedFiles(L".reg").empty());

  // The Restore command names them, then explains, then opens the folder
  // once both messages are closed. The window's start-up backup must not
  // fall in the same second, whose name it would take over.
  Sleep(1100);
  MainWindow main(state_.Files(), data_);
  ASSERT_TRUE(main.Open());
  std::vector<std::wstring> opened;
  main.Shell().openFolder = [&](const std::wstring& asked, HWND owner) {
    const bool messageOpen = WaitForDialogOf(GetCurrentProcessId(), 0) != nullptr;
    opened.push_back(asked + (owner == main.Hwnd() && !messageOpen ? L"" : L" (over a message or unowned)"));
  };
  DialogAnswerer answer({L"OK", L"OK"});
  main.RunCommand(Commands::kRestore);
  ASSERT_EQ(answer.StopAndSeen().size(), 2u);
  const std::wstring& named = answer.StopAndSeen()[0].texts;
  EXPECT_NE(named.find(pathtext::FileNamePart(backup)), std::wstring::npos) << Narrow(named);
  EXPECT_NE(named.find(L"Backup planted.reg"), std::wstring::npos);
  EXPECT_EQ(named.find(L"Backup kept.reg"), std::wstring::npos);
  const std::wstring hint = LoadStr(IDS_RESTORE_HINT);
  EXPECT_NE(answer.StopAndSeen()[1].texts.find(hint.substr(0, hint.find_last_not_of(L' ') + 1)), std::wstring::npos);
  EXPECT_EQ(opened, std::vector<std::wstring>{data_.path + L"\\Backup\\"});
  main.Destroy();
}

TEST_F(DataFolderRecords, AChangedInventoryIsNotUsedToFindWhatIsNew) {
  // Changed to list an add-on, it is passed over: nothing is compared with
  // it. An unchanged one is used.
  StartInventory first;
  first.SaveAndCompare(data_, {});
  const auto written = inventory::EarlierInventories(data_.BackupFolder(), L"");
  ASSERT_EQ(written.size(), 1u);
  CResultNode node;
  node.ID = L"{00000000-0000-0000-0000-00000000ADD0}";
  WriteBytes(written[0], utf8text::ToUtf8(inventory::JsonDocument({{L"bho", &node}})));
  StartInventory second;
  second.SaveAndCompare(data_, {});
  EXPECT_FALSE(second.Compared()) << "the changed inventory was used";
  EXPECT_TRUE(AnyLineHas(state_.LogRecords(), written[0]));
  StartInventory third;
  third.SaveAndCompare(data_, {});
  EXPECT_TRUE(third.Compared());
  EXPECT_EQ(third.GoneCount(), 0u);
}

TEST_F(DataFolderRecords, AFolderGivenToTheAdministratorsAndTakenIsRefused) {
  // Wine keeps no owner: the folder stays the user's, as one made anew by
  // adware after the administrators had the old one.
  ASSERT_TRUE(CFileSystem::EnsureFolder(data_.path));
  if (SafeFolder::Open(data_.path, false).OwnedByAdministrators()) GTEST_SKIP() << "this system kept the owner";
  ASSERT_EQ(core::written::RememberFolderGiven(data_.path), 0);
  std::wstring refusal;
  EXPECT_FALSE(RegistryBackup::BackupRegistry(data_, nullptr, nullptr, &refusal));
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quillmoor\\Folders", data_.path.c_str());
  EXPECT_NE(refusal.find(data_.path), std::wstring::npos) << Narrow(refusal);
  EXPECT_TRUE(Contents(data_.path).empty());
}
