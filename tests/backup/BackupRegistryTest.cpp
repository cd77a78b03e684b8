#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "backup/RegistryBackup.h"
#include "ozcore/CErrorLog.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "ozcore/UniqueHandle.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const std::wstring kIE = L"Software\\Microsoft\\Internet Explorer";
const std::wstring kBHO = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kCatVertical = L"{00021493-0000-0000-C000-000000000046}";
const std::wstring kCatHorizontal = L"{00021494-0000-0000-C000-000000000046}";

// Runs its cleanups when the test ends, passed or failed. It outlives the
// test's locals, so every step holds copies of what it needs.
struct Cleanup {
  std::vector<std::function<void()>> steps;
  ~Cleanup() {
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) (*it)();
  }
};

// A data folder of the test's own.
struct DataFolder {
  TempFolder tmp;
  core::DataFolder place{tmp.Path(), true};
};

std::vector<std::wstring> BackupFiles(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW fd{};
  HANDLE h = FindFirstFileW((folder + L"\\Backup\\*.reg").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return files;
  do files.push_back(folder + L"\\Backup\\" + fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return files;
}

struct Snapshot {
  DWORD type = 0;
  std::vector<unsigned char> data;
  bool present = false;
};

Snapshot Read(HKEY root, const std::wstring& path, const std::wstring& name) {
  Snapshot s;
  s.present = RawValue(root, path, name, s.type, s.data);
  return s;
}

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
  t.wHour = 0;
  t.wMonth = 12;
  t.wDay = 31;
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME12, month, 32);
  EXPECT_EQ(RegistryBackup::BackupFileName(L"X", t), L"X\\Backup " + std::wstring(month) + L" 31, 2012 00-05-09.reg");
}

TEST(BackupFile, MergingTheBackupRestoresDeletedAddonsOfEveryUser) {
  Cleanup cleanup;
  DataFolder data;
  const std::wstring tb = NewClsid(), btMachine = NewClsid(), btUser = NewClsid(), bho = NewClsid(), bar = NewClsid();
  const std::wstring menu = L"&Fixture Menu " + NewClsid();
  const std::wstring otherUser = L"S-1-5-21-1111-2222-3333-" + std::to_wstring(GetCurrentProcessId());

  // Machine: one of each kind.
  SetString(HKEY_LOCAL_MACHINE, kIE + L"\\Toolbar", tb, L"");
  cleanup.steps.push_back([=] {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kIE + L"\\Toolbar").c_str(), 0, KEY_SET_VALUE, k.put()) == ERROR_SUCCESS)
      RegDeleteValueW(k.get(), tb.c_str());
  });
  const std::wstring btKey = kIE + L"\\Extensions\\" + btMachine;
  SetString(HKEY_LOCAL_MACHINE, btKey, L"ButtonText", L"Fixture \"button\"");
  SetString(HKEY_LOCAL_MACHINE, btKey, L"Exec", L"%ProgramFiles%\\Fixture\\run.exe", REG_EXPAND_SZ);
  SetDword(HKEY_LOCAL_MACHINE, btKey, L"Flags", 7);
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, btKey); });
  const std::wstring menuKey = kIE + L"\\MenuExt\\" + menu;
  SetString(HKEY_LOCAL_MACHINE, menuKey, L"", L"res://C:\\Fixture\\menu.dll/page.htm");
  const unsigned char contexts[] = {0x11, 0, 0, 0};
  SetValue(HKEY_LOCAL_MACHINE, menuKey, L"Contexts", REG_BINARY, contexts, sizeof(contexts));
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, menuKey); });
  SetString(HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho, L"", L"Fixture helper \u4E2D");
  SetDword(HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho, L"NoExplorer", 1);
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho); });
  const std::wstring barKey = L"Software\\Classes\\CLSID\\" + bar;
  SetString(HKEY_LOCAL_MACHINE, barKey, L"", L"Fixture bar");
  CreateKey(HKEY_LOCAL_MACHINE, barKey + L"\\Implemented Categories\\" + kCatVertical);
  CreateKey(HKEY_LOCAL_MACHINE, barKey + L"\\Implemented Categories\\" + kCatHorizontal);
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, barKey); });

  // Three users: the current one, .DEFAULT and another loaded hive.
  struct UserEntry {
    HKEY root;
    std::wstring prefix;
  };
  const std::vector<UserEntry> users = {
      {HKEY_CURRENT_USER, L""}, {HKEY_USERS, L".DEFAULT\\"}, {HKEY_USERS, otherUser + L"\\"}};
  for (const auto& u : users) {
    SetString(u.root, u.prefix + kIE + L"\\Toolbar\\WebBrowser", tb, L"user toolbar");
    SetString(u.root, u.prefix + kIE + L"\\Extensions\\" + btUser, L"MenuText", L"User item");
    SetString(u.root, u.prefix + kIE + L"\\MenuExt\\" + menu, L"", L"file://C:\\Fixture\\menu.htm");
    cleanup.steps.push_back([=] {
      UniqueKey k;
      if (RegOpenKeyExW(u.root, (u.prefix + kIE + L"\\Toolbar\\WebBrowser").c_str(), 0, KEY_SET_VALUE, k.put()) ==
          ERROR_SUCCESS)
        RegDeleteValueW(k.get(), tb.c_str());
      DeleteTree(u.root, u.prefix + kIE + L"\\Extensions\\" + btUser);
      DeleteTree(u.root, u.prefix + kIE + L"\\MenuExt\\" + menu);
    });
  }
  cleanup.steps.push_back([=] { DeleteTree(HKEY_USERS, otherUser); });

  // What must come back, value for value.
  struct Watched {
    HKEY root;
    std::wstring path, name;
    Snapshot before;
  };
  std::vector<Watched> watched = {
      {HKEY_LOCAL_MACHINE, kIE + L"\\Toolbar", tb, {}},
      {HKEY_LOCAL_MACHINE, btKey, L"ButtonText", {}},
      {HKEY_LOCAL_MACHINE, btKey, L"Exec", {}},
      {HKEY_LOCAL_MACHINE, btKey, L"Flags", {}},
      {HKEY_LOCAL_MACHINE, menuKey, L"", {}},
      {HKEY_LOCAL_MACHINE, menuKey, L"Contexts", {}},
      {HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho, L"", {}},
      {HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho, L"NoExplorer", {}},
  };
  for (const auto& u : users) {
    watched.push_back({u.root, u.prefix + kIE + L"\\Toolbar\\WebBrowser", tb, {}});
    watched.push_back({u.root, u.prefix + kIE + L"\\Extensions\\" + btUser, L"MenuText", {}});
    watched.push_back({u.root, u.prefix + kIE + L"\\MenuExt\\" + menu, L"", {}});
  }
  for (auto& w : watched) {
    w.before = Read(w.root, w.path, w.name);
    ASSERT_TRUE(w.before.present) << Narrow(w.path + L" " + w.name);
  }

  std::wstring file;
  ASSERT_TRUE(RegistryBackup::BackupRegistry(data.place, &file));
  ASSERT_EQ(BackupFiles(data.tmp.Path()).size(), 1u);
  const std::string bytes = ReadBytes(file);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  const std::wstring text = ReadUtf16File(file);
  EXPECT_EQ(text.rfind(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar]\r\n", 0), 0u);
  // A class in both categories gives one line under each, vertical first.
  const auto v = text.find(L"[HKEY_CLASSES_ROOT\\CLSID\\" + bar + L"\\Implemented Categories\\" + kCatVertical + L"]\r\n\r\n");
  const auto h = text.find(L"[HKEY_CLASSES_ROOT\\CLSID\\" + bar + L"\\Implemented Categories\\" + kCatHorizontal + L"]\r\n\r\n");
  ASSERT_NE(v, std::wstring::npos);
  ASSERT_NE(h, std::wstring::npos);
  EXPECT_LT(v, h);
  EXPECT_NE(text.find(L"[HKEY_USERS\\" + otherUser + L"\\Software\\Microsoft\\Internet Explorer\\MenuExt\\" + menu + L"]"),
            std::wstring::npos);
  // The default user's subkey is spelled as the registry has it.
  std::wstring upper = text;
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  EXPECT_NE(upper.find(L"[HKEY_USERS\\.DEFAULT\\SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR\\WEBBROWSER]"),
            std::wstring::npos);
  // The parts, read side by side, stand in file order: machine trees, the
  // other users, the category lines last.
  std::wstring bhoLine = L"[HKEY_LOCAL_MACHINE\\" + kBHO + L"\\" + bho + L"]";
  CharUpperBuffW(bhoLine.data(), static_cast<DWORD>(bhoLine.size()));
  const auto bhoAt = upper.find(bhoLine);
  const auto otherUserAt = text.find(L"[HKEY_USERS\\" + otherUser + L"\\");
  ASSERT_NE(bhoAt, std::wstring::npos);
  ASSERT_NE(otherUserAt, std::wstring::npos);
  EXPECT_LT(bhoAt, otherUserAt);
  EXPECT_LT(text.rfind(L"[HKEY_USERS\\"), std::min(v, h));

  // Delete every entry the program can delete.
  CRegistry r;
  std::wstring why;
  ASSERT_TRUE(r.DeleteValue(HKEY_LOCAL_MACHINE, kIE + L"\\Toolbar", tb));
  ASSERT_TRUE(r.DeleteKey(HKEY_LOCAL_MACHINE, btKey, why));
  ASSERT_TRUE(r.DeleteKey(HKEY_LOCAL_MACHINE, menuKey, why));
  ASSERT_TRUE(r.DeleteKey(HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho, why));
  ASSERT_TRUE(r.DeleteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kCatVertical, why));
  ASSERT_TRUE(r.DeleteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kCatHorizontal, why));
  for (const auto& u : users) {
    ASSERT_TRUE(r.DeleteValue(u.root, u.prefix + kIE + L"\\Toolbar\\WebBrowser", tb));
    ASSERT_TRUE(r.DeleteKey(u.root, u.prefix + kIE + L"\\Extensions\\" + btUser, why));
    ASSERT_TRUE(r.DeleteKey(u.root, u.prefix + kIE + L"\\MenuExt\\" + menu, why));
  }
  for (const auto& w : watched) ASSERT_FALSE(Read(w.root, w.path, w.name).present) << Narrow(w.path);

  // Merge the backup with the platform's importer: everything is back.
  ASSERT_EQ(RunProcess(L"\"" + RegExe() + L"\" import \"" + file + L"\""), 0);
  for (const auto& w : watched) {
    const auto after = Read(w.root, w.path, w.name);
    EXPECT_TRUE(after.present) << Narrow(w.path + L" " + w.name);
    EXPECT_EQ(after.type, w.before.type) << Narrow(w.path + L" " + w.name);
    EXPECT_EQ(after.data, w.before.data) << Narrow(w.path + L" " + w.name);
  }
  EXPECT_TRUE(KeyPresent(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kCatVertical));
  EXPECT_TRUE(KeyPresent(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kCatHorizontal));
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

// The 32-bit view's machine keys and category entries of 64-bit Windows go
// into the file under their names in the native view, after the other
// trees, and merging puts back what was deleted from that view.
TEST(BackupFile, The32BitViewIsBackedUpAndRestored) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  Cleanup cleanup;
  DataFolder data;
  const std::wstring ie32 = L"Software\\Wow6432Node\\Microsoft\\Internet Explorer";
  const std::wstring bho32 = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
  const std::wstring tb = NewClsid(), bho = NewClsid(), bar = NewClsid();
  const std::wstring menu = L"Wow Menu " + NewClsid();
  const std::wstring classKey = L"Software\\Classes\\Wow6432Node\\CLSID\\" + bar;

  SetString(HKEY_LOCAL_MACHINE, ie32 + L"\\Toolbar", tb, L"");
  cleanup.steps.push_back([=] {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (ie32 + L"\\Toolbar").c_str(), 0, KEY_SET_VALUE, k.put()) == ERROR_SUCCESS)
      RegDeleteValueW(k.get(), tb.c_str());
  });
  SetString(HKEY_LOCAL_MACHINE, ie32 + L"\\MenuExt\\" + menu, L"", L"res://wow.dll/page.htm");
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, ie32 + L"\\MenuExt\\" + menu); });
  SetString(HKEY_LOCAL_MACHINE, bho32 + L"\\" + bho, L"", L"Wow helper");
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, bho32 + L"\\" + bho); });
  SetString(HKEY_LOCAL_MACHINE, classKey + L"\\Implemented Categories\\" + kCatVertical, L"", L"");
  cleanup.steps.push_back([=] { DeleteTree(HKEY_LOCAL_MACHINE, classKey); });

  std::wstring file;
  ASSERT_TRUE(RegistryBackup::BackupRegistry(data.place, &file));
  const std::wstring text = ReadUtf16File(file);
  const auto lastNativeTree = text.find(L"[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects]");
  const auto wowToolbar = text.find(L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\Toolbar]\r\n");
  const auto wowCategory = text.find(L"[HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\" + bar + L"\\Implemented Categories\\" +
                                     kCatVertical + L"]\r\n\r\n");
  ASSERT_NE(lastNativeTree, std::wstring::npos);
  ASSERT_NE(wowToolbar, std::wstring::npos) << Narrow(text.substr(0, 2000));
  ASSERT_NE(wowCategory, std::wstring::npos);
  EXPECT_LT(lastNativeTree, wowToolbar);
  EXPECT_LT(wowToolbar, wowCategory);
  // The native view's category lines come before the 32-bit view's.
  const auto nativeCategory = text.find(L"[HKEY_CLASSES_ROOT\\CLSID\\");
  if (nativeCategory != std::wstring::npos) {
    EXPECT_LT(nativeCategory, wowCategory);
  }

  // Delete as the program does, in the 32-bit view.
  CRegistry wow32(RegView::Wow32);
  std::wstring why;
  const std::wstring ie = L"Software\\Microsoft\\Internet Explorer";
  ASSERT_TRUE(wow32.DeleteValue(HKEY_LOCAL_MACHINE, ie + L"\\Toolbar", tb));
  ASSERT_TRUE(wow32.DeleteKey(HKEY_LOCAL_MACHINE, ie + L"\\MenuExt\\" + menu, why));
  ASSERT_TRUE(wow32.DeleteKey(HKEY_LOCAL_MACHINE, kBHO + L"\\" + bho, why));
  ASSERT_TRUE(wow32.DeleteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kCatVertical, why));
  ASSERT_FALSE(Read(HKEY_LOCAL_MACHINE, ie32 + L"\\Toolbar", tb).present);
  ASSERT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, bho32 + L"\\" + bho));

  ASSERT_EQ(RunProcess(L"\"" + RegExe() + L"\" import \"" + file + L"\""), 0);
  EXPECT_TRUE(Read(HKEY_LOCAL_MACHINE, ie32 + L"\\Toolbar", tb).present);
  EXPECT_TRUE(Read(HKEY_LOCAL_MACHINE, ie32 + L"\\MenuExt\\" + menu, L"").present);
  EXPECT_TRUE(Read(HKEY_LOCAL_MACHINE, bho32 + L"\\" + bho, L"").present);
  EXPECT_TRUE(wow32.KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kCatVertical));
  // Nothing of it went to the native view.
  CRegistry native(RegView::Native);
  EXPECT_FALSE(native.EnumValueNames(HKEY_LOCAL_MACHINE, ie + L"\\Toolbar").Exists(tb));
  EXPECT_FALSE(native.KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + bar));
}
