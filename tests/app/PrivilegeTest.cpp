#include <gtest/gtest.h>

#include <vector>

#include "app/Elevation.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace Elevation;
using namespace qlmtest;

TEST(AppPrivilege, DecisionTable) {
  using D = PrivilegeDecision;
  struct Row {
    bool uac, admin;
    std::int32_t type, flag;
    D expected;
  } rows[] = {
      // Without user account control only the administrator state counts.
      {false, true, 3, 0, D::Continue},   {false, true, -1, -1, D::Continue},
      {false, false, 1, 0, D::Refuse},    {false, false, 2, 1, D::Refuse},
      // With it, a full token goes on; a filtered administrator, a standard
      // user and an unreadable token are relaunched.
      {true, false, 2, 1, D::Continue},   {true, true, 3, 0, D::Relaunch},
      {true, false, 1, 0, D::Relaunch},   {true, false, -1, -1, D::Relaunch},
      // Already elevated with the default type (the built-in Administrator):
      // a relaunch would only start the same again.
      {true, true, 1, 1, D::Continue},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(DecidePrivileges({r.uac, r.admin, r.type, r.flag}), r.expected)
        << "uac " << r.uac << " admin " << r.admin << " type " << r.type << " flag " << r.flag;
  }
  // NT systems of version 6 and later are checked, today's 10 and 11 too.
  EXPECT_FALSE(IsCheckedPlatform(2, 5));
  EXPECT_TRUE(IsCheckedPlatform(2, 6));
  EXPECT_TRUE(IsCheckedPlatform(2, 10));
  EXPECT_FALSE(IsCheckedPlatform(1, 6));
}

// The parameters themselves are run by ComponentsStoatline.RundllStartsTheProgramFromItsFolder.
TEST(AppPrivilege, RelaunchParameters) {
  // Without a short form the folder itself, never an empty one.
  EXPECT_EQ(RelaunchFolder(L"", L"D:\\Quill moor"), L"D:\\Quill moor");
  EXPECT_EQ(RelaunchFolder(L"D:\\QUILLM~1", L"D:\\Quill moor"), L"D:\\QUILLM~1");

  TempFolder tmp;
  const std::wstring folder = tmp.File(L"a folder with a long name");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring shortForm = GetShortFolderPath(folder);
  wchar_t longForm[1024] = {};
  ASSERT_GT(GetLongPathNameW(shortForm.c_str(), longForm, 1024), 0u) << Narrow(shortForm);
  EXPECT_EQ(_wcsicmp(longForm, folder.c_str()), 0) << Narrow(shortForm);
  EXPECT_EQ(GetShortFolderPath(tmp.File(L"missing")), L"");
}

TEST(AppPrivilege, AdministratorsFoundAnywhereInALongGroupList) {
  // Users (S-1-5-32-545) in 40 slots, then Administrators far past the
  // 21st, as deny-only: a filtered administrator still counts.
  constexpr std::size_t kCount = 40;
  std::vector<unsigned char> buffer(sizeof(TOKEN_GROUPS) + kCount * sizeof(SID_AND_ATTRIBUTES));
  auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buffer.data());
  std::vector<UniqueSid> sids(kCount);
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  auto set = [&](std::size_t i, DWORD rid, DWORD attributes) {
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, sids[i].put()));
    groups->Groups[i] = {sids[i].get(), attributes};
  };
  groups->GroupCount = kCount;
  for (std::size_t i = 0; i < kCount; ++i) set(i, DOMAIN_ALIAS_RID_USERS, SE_GROUP_ENABLED);
  EXPECT_FALSE(GroupsHoldAdministrators(*groups));
  set(33, DOMAIN_ALIAS_RID_ADMINS, SE_GROUP_USE_FOR_DENY_ONLY);
  EXPECT_TRUE(GroupsHoldAdministrators(*groups));
  groups->GroupCount = 33;  // entries past the count are not looked at
  EXPECT_FALSE(GroupsHoldAdministrators(*groups));
}
