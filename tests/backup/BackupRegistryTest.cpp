#include <gtest/gtest.h>

#include <algorithm>

#include "backup/RegistryBackup.h"
#include "engine/kinds/AddonKinds.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "support/KindEntries.h"
#include "support/KindParams.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

// A data folder of the test's own.
struct DataFolder {
  TempFolder tmp;
  core::DataFolder place{tmp.Path(), true};
};

std::size_t At(const std::wstring& text, const std::wstring& part) { return Upper(text).find(Upper(part)); }

}  // namespace

TEST(BackupFile, NameFollowsTheDatePattern) {
  SYSTEMTIME t{};
  t.wYear = 2012;
  t.wMonth = 3;
  t.wDay = 7;
  t.wHour = 14;
  t.wMinute = 5;
  t.wSecond = 9;
  wchar_t month[32] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME3, month, 32);
  EXPECT_EQ(RegistryBackup::BackupFileName(L"C:\\Data\\Backup", t),
            L"C:\\Data\\Backup\\Backup " + std::wstring(month) + L" 07, 2012 14-05-09.reg");
}

// Every kind in every place it has entries (the machine in both views, the
// current user, ".DEFAULT" and another loaded hive), each entry with values
// of several types and texts to escape: removed one by one, and merged back
// from the backup with the platform's importer, the areas are as before,
// value for value; the file keeps its order of parts.
TEST(BackupFile, MergingTheBackupRestoresEveryKindInEveryPlace) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  DataFolder data;
  RegFixture reg;
  KindEntries entries(reg);
  const std::wstring otherUser = FakeUserSid(1);
  reg.Key(HKEY_USERS, otherUser + L"\\Software");
  const std::vector<Place> users = {kCurrentUser, kDefaultUser, {HKEY_USERS, otherUser + L"\\"}};
  std::vector<KindEntry> made;
  for (const std::int32_t id : KindIds()) {
    const auto& kind = discovery::Kind(id);
    std::vector<Place> places = {kMachine};
    if (!kind.machineSharedByViews) places.push_back(kMachine32);
    if (*kind.userPath) places.insert(places.end(), users.begin(), users.end());
    for (const Place& place : places) {
      const KindEntry entry = entries.Add(id, place, L"Quill \"Unit\" \u4E2D", L"%ProgramFiles%\\Quill\\q.dll");
      made.push_back(entry);
      if (entry.isValue || id == TableId::kExplorerBars) continue;
      // Values of each type the file writes in its own form.
      const std::wstring key = entry.location + L"\\" + entry.name;
      const unsigned char contexts[] = {0x11, 0, 0, 0};
      reg.Value(place.root, key, L"Contexts", REG_BINARY, contexts, sizeof contexts);
      reg.Dword(place.root, key, L"Flags", 7);
      reg.String(place.root, key, L"Script", L"%SystemRoot%\\q\\\"x\".htm", REG_EXPAND_SZ);
    }
  }
  // A bar in both categories gives one line under each, vertical first.
  const KindEntry& bar = *std::find_if(made.begin(), made.end(), [](const KindEntry& e) {
    return e.name == discovery::Kind(TableId::kExplorerBars).categories[0] && e.location.find(L"Wow6432Node") == std::wstring::npos;
  });
  const std::wstring horizontal = discovery::Kind(TableId::kExplorerBars).categories[1];
  reg.Key(HKEY_LOCAL_MACHINE, bar.location + L"\\" + horizontal);

  const hostile::Snapshot before = hostile::TakeSnapshot(entries.Areas());
  std::vector<RegOmission> omitted;
  RegistryBackup::BackupText(true, RegistryBackup::CurrentUserSid(), &omitted);
  for (const auto& omission : omitted) ADD_FAILURE() << "left out: " << Narrow(RegistryBackup::OmissionText(omission));
  std::wstring file;
  ASSERT_TRUE(RegistryBackup::BackupRegistry(data.place, &file));
  EXPECT_EQ(ReadBytes(file).substr(0, 2), "\xFF\xFE");

  const std::wstring text = ReadUtf16File(file);
  EXPECT_EQ(text.rfind(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet "
                       L"Explorer\\Toolbar]\r\n", 0), 0u);
  const std::wstring categories = L"[HKEY_CLASSES_ROOT\\CLSID\\" + bar.id + L"\\Implemented Categories\\";
  const auto vertical = At(text, categories + bar.name + L"]\r\n\r\n");
  const auto wowCategory = At(text, L"[HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\");
  const auto otherUserAt = At(text, L"[HKEY_USERS\\" + otherUser + L"\\");
  // Machine trees, the other users' (".DEFAULT" spelled as the registry
  // has it), the 32-bit view's trees, then the category lines, native
  // before 32-bit.
  const auto wowTree = At(text, L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\Toolbar]\r\n");
  EXPECT_LT(At(text, L"[HKEY_LOCAL_MACHINE\\" + std::wstring(discovery::Kind(TableId::kHelperObjects).machinePath) + L"]"),
            otherUserAt);
  EXPECT_NE(At(text, L"[HKEY_USERS\\.DEFAULT\\"), std::wstring::npos);
  EXPECT_LT(otherUserAt, wowTree);
  EXPECT_NE(wowTree, std::wstring::npos);
  EXPECT_LT(text.rfind(L"[HKEY_USERS\\"), vertical);
  EXPECT_LT(wowTree, vertical);
  EXPECT_LT(vertical, At(text, categories + horizontal + L"]\r\n\r\n"));
  EXPECT_LT(At(text, categories + horizontal), wowCategory);
  EXPECT_NE(wowCategory, std::wstring::npos);

  // Each entry removed alone, then the merge.
  hostile::DeleteTree(HKEY_LOCAL_MACHINE, bar.location, horizontal);
  for (const auto& e : made) {
    if (e.isValue)
      hostile::DeleteValue(e.root, e.location, e.name);
    else
      hostile::DeleteTree(e.root, e.location, e.name);
  }
  ASSERT_NE(hostile::TakeSnapshot(entries.Areas()), before);
  ASSERT_EQ(RunProcess(L"\"" + RegExe() + L"\" import \"" + file + L"\""), 0);
  EXPECT_EQ(hostile::TakeSnapshot(entries.Areas()), before);
}

TEST(BackupFile, AnsiFileForTheOlderFamily) {
  DataFolder data;
  data.place.unicodeFiles = false;
  std::wstring file;
  ASSERT_TRUE(RegistryBackup::BackupRegistry(data.place, &file));
  const std::string bytes = ReadBytes(file);
  EXPECT_EQ(bytes.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_EQ(bytes.find('\0'), std::string::npos);  // single-byte text throughout
}

TEST(BackupFile, FailureIsReportedAndLoggedNotClaimedAsSuccess) {
  TempFolder tmp;
  std::wstring file;
  bool written = true;
  {
    ScopedLog log(tmp.Path());
    // A data "folder" that is really a file: no backup folder can exist.
    WriteBytes(tmp.File(L"blocker"), "x");
    written = RegistryBackup::BackupRegistry({tmp.File(L"blocker"), true}, &file);
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(file, L"");
  const auto shortLog = ReadUtf8File(tmp.File(L"short.log"));
  EXPECT_NE(shortLog.find(L"L4  #75  MAPI.BackupRegistry  The backup file"), std::wstring::npos) << Narrow(shortLog);
}

TEST(BackupFile, SecondRunInTheSameSecondReplacesTheFile) {
  DataFolder data;
  std::wstring first, second;
  // Retry until both runs fall in one second (a run takes milliseconds).
  for (int attempt = 0; attempt < 5 && (first.empty() || first != second); ++attempt) {
    ASSERT_TRUE(RegistryBackup::BackupRegistry(data.place, &first));
    ASSERT_TRUE(RegistryBackup::BackupRegistry(data.place, &second));
  }
  ASSERT_EQ(first, second);
  EXPECT_TRUE(CFileSystem::FileExists(second));
  EXPECT_FALSE(CFileSystem::FileExists(second + L".partial"));
}
