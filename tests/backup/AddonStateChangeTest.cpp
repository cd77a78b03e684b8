// Turn Off and Turn On in the browser's per-user store, on the real
// registry: undone exactly, each user once, refused under policy with
// nothing written, the saved file merging back the state before, and no
// write through a link.
#include <gtest/gtest.h>

#include <filesystem>

#include "backup/AddonStateChange.h"
#include "backup/RegistryBackup.h"
#include "engine/kinds/AddonStateReader.h"
#include "support/HostileRegistry.h"
#include "support/LogLines.h"
#include "support/RegFixture.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"

using namespace qlmtest;
using addonstate::Change;
using addonstate::Outcome;

namespace {

const std::wstring kExt = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext";
const std::wstring kPolicyList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Ext\\CLSID";

// The whole area the browser keeps add-on state in, for one user, by the
// tests' own walk.
hostile::Snapshot AreaOf(const std::wstring& user) { return hostile::TakeSnapshot(HKEY_USERS, user + L"\\" + kExt); }

std::size_t FilesIn(const std::wstring& folder) {
  std::error_code error;
  if (!std::filesystem::exists(folder, error)) return 0;
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) count += entry.is_regular_file() ? 1 : 0;
  return count;
}

std::size_t Count(const std::wstring& text, const std::wstring& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A neighbour add-on's settings, so the area holds more than the change.
void Neighbour(RegFixture& reg, const std::wstring& user) {
  const std::wstring key = user + L"\\" + discovery::AddonSettingsPath(L"{0BADF00D-0000-4000-8000-00000000B0B0}");
  const DWORD flags = 0;
  reg.Value(HKEY_USERS, key, L"Flags", REG_DWORD, &flags, sizeof flags);
  reg.String(HKEY_USERS, key, L"Version", L"1.0");
}

}  // namespace

// Off then on leaves the whole area as it was, for the user running the
// tests (a machine entry's default) and a user's own hive; off writes
// exactly the browser's two values and is logged.
TEST(BackupState, TurnOffThenOnLeavesTheAreaAsItWas) {
  TempFolder tmp;
  ScopedLog log(tmp.Path());
  core::DataFolder data{tmp.Path(), true};
  for (const std::wstring& user : {RegistryBackup::CurrentUserSid(), FakeUserSid(1)}) {
    SCOPED_TRACE(Narrow(user));
    ASSERT_FALSE(user.empty());
    RegFixture reg;
    reg.Key(HKEY_USERS, user + L"\\Software");
    Neighbour(reg, user);
    const std::wstring id = NewClsid();
    const hostile::Snapshot before = AreaOf(user);

    const auto off = addonstate::ChangeState(data, id, RegView::Default, {user}, Change::TurnOff);
    ASSERT_EQ(off.outcome, Outcome::Done);
    EXPECT_EQ(off.usersChanged, 1u);
    const std::wstring key = user + L"\\" + discovery::AddonSettingsPath(id);
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(RawValue(HKEY_USERS, key, L"Flags", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{1, 0, 0, 0}));
    ASSERT_TRUE(RawValue(HKEY_USERS, key, L"Version", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{'*', 0, 0, 0}));
    // Already off: nothing more to do, and no file for it.
    const std::size_t files = FilesIn(data.BackupFolder());
    EXPECT_EQ(addonstate::ChangeState(data, id, RegView::Default, {user}, Change::TurnOff).outcome,
              Outcome::NothingToDo);
    EXPECT_EQ(FilesIn(data.BackupFolder()), files);

    const auto on = addonstate::ChangeState(data, id, RegView::Default, {user}, Change::TurnOn);
    ASSERT_EQ(on.outcome, Outcome::Done);
    EXPECT_NE(on.backupPath, off.backupPath);
    EXPECT_EQ(AreaOf(user), before);
  }
  const auto lines = LogLines(log.FullLogFile());
  std::size_t changes = 0;
  for (const auto& line : lines)
    if (line.find(L"AddonState.ChangeState") != std::wstring::npos && line.rfind(L"L5", 0) == 0) ++changes;
  EXPECT_EQ(changes, 4u);
}

// Off for every signed-in user writes each hive once; the saved file names
// each once and, merged, puts back the state before (no settings key).
TEST(BackupState, EveryUserOnceAndTheSavedFileMergesBack) {
  TempFolder tmp;
  core::DataFolder data{tmp.Path(), true};
  const std::vector<std::wstring> users = {FakeUserSid(2), FakeUserSid(3), FakeUserSid(4)};
  RegFixture reg;
  for (const auto& user : users) reg.Key(HKEY_USERS, user + L"\\Software");
  const std::wstring id = NewClsid();
  // One of them had turned it off already: only the others change.
  const std::wstring already = users[2] + L"\\" + discovery::AddonSettingsPath(id);
  const DWORD one = 1;
  reg.Value(HKEY_USERS, already, L"Flags", REG_DWORD, &one, sizeof one);
  reg.String(HKEY_USERS, already, L"Version", L"*");
  std::vector<hostile::Snapshot> before;
  for (const auto& user : users) before.push_back(AreaOf(user));

  const auto off = addonstate::ChangeState(data, id, RegView::Default, users, Change::TurnOff);
  ASSERT_EQ(off.outcome, Outcome::Done);
  EXPECT_EQ(off.usersChanged, 2u);
  const std::wstring saved = ReadUtf16File(off.backupPath);
  EXPECT_EQ(saved.rfind(L"Windows Registry Editor Version 5.00\r\n", 0), 0u);
  EXPECT_EQ(Count(saved, L"[-HKEY_USERS\\" + users[0] + L"\\"), 1u);
  EXPECT_EQ(Count(saved, L"[-HKEY_USERS\\" + users[1] + L"\\"), 1u);
  EXPECT_EQ(Count(saved, users[2]), 0u);
  for (const auto& user : users)
    EXPECT_TRUE(KeyPresent(HKEY_USERS, user + L"\\" + discovery::AddonSettingsPath(id))) << Narrow(user);

  ASSERT_TRUE(RegImport(saved, tmp.Path()));
  for (std::size_t i = 0; i < users.size(); ++i) EXPECT_EQ(AreaOf(users[i]), before[i]) << i;
}

// Policy decides, or forbids changes: refused, nothing written, no file.
// Hostile names and a link where the settings key should be change nothing.
TEST(BackupState, RefusedChangesWriteNothing) {
  TempFolder tmp;
  core::DataFolder data{tmp.Path(), true};
  const std::wstring user = FakeUserSid(5), id = NewClsid();
  RegFixture reg;
  reg.Key(HKEY_USERS, user + L"\\Software");
  const std::wstring restrictions = L"Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
  const DWORD one = 1;
  struct Case {
    const char* what;
    std::function<void(RegFixture&)> setup;
    Outcome outcome;
  };
  const Case cases[] = {
      {"blocked by the machine's list", [&](RegFixture& r) { r.String(HKEY_LOCAL_MACHINE, kPolicyList, id, L"0"); },
       Outcome::HeldByPolicy},
      {"allowed by the user's list", [&](RegFixture& r) { r.String(HKEY_USERS, user + L"\\" + kPolicyList, id, L"1"); },
       Outcome::HeldByPolicy},
      {"no add-on management",
       [&](RegFixture& r) { r.Value(HKEY_USERS, user + L"\\" + restrictions, L"NoExtensionManagement", REG_DWORD, &one, 4); },
       Outcome::NoManagement},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegFixture policy;
    c.setup(policy);
    const hostile::Snapshot before = AreaOf(user);
    for (Change change : {Change::TurnOff, Change::TurnOn})
      EXPECT_EQ(addonstate::ChangeState(data, id, RegView::Default, {user}, change).outcome, c.outcome);
    EXPECT_EQ(AreaOf(user), before);
    EXPECT_EQ(FilesIn(data.BackupFolder()), 0u);
  }

  // Names that would reach other keys are not used at all.
  for (const std::wstring& hostileUser : {user + L"\\Software", std::wstring(L"S-1-5-21\n[HKEY_LOCAL_MACHINE]"),
                                          user + L"_Classes", std::wstring()})
    EXPECT_EQ(addonstate::ChangeState(data, id, RegView::Default, {hostileUser}, Change::TurnOff).outcome,
              Outcome::NotApplicable);
  for (const std::wstring& hostileId : {id + L"\\x", std::wstring(L"..\\..\\Run"), std::wstring()})
    EXPECT_EQ(addonstate::ChangeState(data, hostileId, RegView::Default, {user}, Change::TurnOff).outcome,
              Outcome::NotApplicable);
  EXPECT_EQ(FilesIn(data.BackupFolder()), 0u);

  // A link to a victim key where the settings folder or the add-on's
  // settings key should be: Turn Off writes nothing through it (making the
  // missing key included), Turn On does not empty it.
  const std::wstring victimPath = L"Software\\QuillmoorTests\\victim-" + std::to_wstring(GetCurrentProcessId());
  reg.String(HKEY_CURRENT_USER, victimPath, L"Keep", L"me");
  const std::wstring ext = user + L"\\" + kExt;
  reg.Key(HKEY_USERS, ext);
  for (const auto& [parent, name, seenThrough] : {std::tuple{ext, std::wstring(L"Settings"), victimPath + L"\\" + id},
                                                  std::tuple{ext + L"\\Settings", id, victimPath}}) {
    SCOPED_TRACE(Narrow(name));
    reg.Key(HKEY_USERS, parent);
    hostile::CreateLink(HKEY_USERS, parent, name, hostile::KernelPath(HKEY_CURRENT_USER, victimPath));
    for (Change change : {Change::TurnOff, Change::TurnOn}) {
      if (change == Change::TurnOn) {
        // Read through the link the add-on now looks off, so Turn On acts.
        reg.Value(HKEY_CURRENT_USER, seenThrough, L"Flags", REG_DWORD, &one, sizeof one);
        reg.String(HKEY_CURRENT_USER, seenThrough, L"Version", L"*");
      }
      const auto victimBefore = hostile::TakeSnapshot(HKEY_CURRENT_USER, victimPath);
      EXPECT_NE(addonstate::ChangeState(data, id, RegView::Default, {user}, change).outcome, Outcome::Done);
      EXPECT_EQ(hostile::TakeSnapshot(HKEY_CURRENT_USER, victimPath), victimBefore);
    }
    hostile::DeleteTree(HKEY_USERS, parent, name);
  }
}
