#include <gtest/gtest.h>

#include <vector>

#include "app/MVista.h"
#include "app/PrivilegeRules.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace MVista;
using namespace qlmtest;

TEST(AppPrivilege, DecisionTable) {
  struct Row {
    bool uac, admin;
    std::int32_t type, flag;
    PrivilegeDecision expected;
  } rows[] = {
      // Without user account control only the administrator state counts.
      {false, true, 1, 0, PrivilegeDecision::Continue},
      {false, true, 3, 0, PrivilegeDecision::Continue},
      {false, true, -1, -1, PrivilegeDecision::Continue},
      {false, false, 1, 0, PrivilegeDecision::Refuse},
      {false, false, 2, 1, PrivilegeDecision::Refuse},
      {false, false, -1, -1, PrivilegeDecision::Refuse},
      // With it, a full token goes on, whoever the user is.
      {true, true, 2, 1, PrivilegeDecision::Continue},
      {true, false, 2, 1, PrivilegeDecision::Continue},
      // A filtered administrator and a standard user are relaunched.
      {true, true, 3, 0, PrivilegeDecision::Relaunch},
      {true, false, 1, 0, PrivilegeDecision::Relaunch},
      {true, true, 1, 0, PrivilegeDecision::Relaunch},
      {true, false, -1, -1, PrivilegeDecision::Relaunch},
      // Already elevated with the default type (the built-in Administrator):
      // a relaunch would only start the same again.
      {true, true, 1, 1, PrivilegeDecision::Continue},
  };
  for (const auto& r : rows) {
    PrivilegeFacts facts;
    facts.uacEnabled = r.uac;
    facts.isAdmin = r.admin;
    facts.elevationType = r.type;
    facts.elevationFlag = r.flag;
    EXPECT_EQ(DecidePrivileges(facts), r.expected)
        << "uac " << r.uac << " admin " << r.admin << " type " << r.type << " flag " << r.flag;
  }
}

TEST(AppPrivilege, CheckedPlatforms) {
  EXPECT_FALSE(IsCheckedPlatform(2, 5));  // XP
  EXPECT_TRUE(IsCheckedPlatform(2, 6));   // Vista to 8.1
  EXPECT_TRUE(IsCheckedPlatform(2, 10));  // 10 and 11
  EXPECT_FALSE(IsCheckedPlatform(1, 6));  // not NT
}

TEST(AppPrivilege, RelaunchParameters) {
  EXPECT_EQ(RelaunchParameters(L"C:\\PROGRA~1\\QUILLM~1"),
            L"\"C:\\PROGRA~1\\QUILLM~1\\Stoatline.dll\", stoat_line C:\\PROGRA~1\\QUILLM~1");
  // No short form: the folder itself, never an empty one.
  EXPECT_EQ(RelaunchFolder(L"", L"D:\\Tools\\Quill moor"), L"D:\\Tools\\Quill moor");
  EXPECT_EQ(RelaunchFolder(L"D:\\Tools\\QUILLM~1", L"D:\\Tools\\Quill moor"), L"D:\\Tools\\QUILLM~1");
  EXPECT_EQ(RelaunchParameters(L"D:\\Tools\\Quill moor"),
            L"\"D:\\Tools\\Quill moor\\Stoatline.dll\", stoat_line D:\\Tools\\Quill moor");
}

TEST(AppPrivilege, ShortFolderPath) {
  TempFolder tmp;
  const std::wstring folder = tmp.File(L"a folder with a long name");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring shortForm = GetShortFolderPath(folder);
  ASSERT_FALSE(shortForm.empty());
  EXPECT_NE(shortForm.rfind(L"\\\\?\\", 0), 0u) << "prefix left in";
  wchar_t longForm[1024] = {};
  ASSERT_GT(GetLongPathNameW(shortForm.c_str(), longForm, 1024), 0u) << Narrow(shortForm);
  EXPECT_EQ(_wcsicmp(longForm, folder.c_str()), 0) << Narrow(longForm);
  EXPECT_EQ(GetShortFolderPath(tmp.File(L"missing")), L"");
}

namespace {

// A group list with room for any number of entries.
struct Groups {
  explicit Groups(std::size_t count)
      : buffer(sizeof(TOKEN_GROUPS) + count * sizeof(SID_AND_ATTRIBUTES)), sids(count) {
    list()->GroupCount = static_cast<DWORD>(count);
  }
  TOKEN_GROUPS* list() { return reinterpret_cast<TOKEN_GROUPS*>(buffer.data()); }
  void Set(std::size_t i, DWORD rid0, DWORD rid1, DWORD attributes) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AllocateAndInitializeSid(&nt, 2, rid0, rid1, 0, 0, 0, 0, 0, 0, sids[i].put());
    list()->Groups[i].Sid = sids[i].get();
    list()->Groups[i].Attributes = attributes;
  }
  std::vector<unsigned char> buffer;
  std::vector<UniqueSid> sids;
};

}  // namespace

TEST(AppPrivilege, AdministratorsFoundAnywhereInALongGroupList) {
  // Users (S-1-5-32-545) in every slot, then Administrators far past the
  // first 21 entries, as deny-only: a filtered administrator still counts.
  Groups groups(40);
  for (std::size_t i = 0; i < 40; ++i) groups.Set(i, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, SE_GROUP_ENABLED);
  EXPECT_FALSE(GroupsHoldAdministrators(*groups.list()));
  groups.Set(33, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, SE_GROUP_USE_FOR_DENY_ONLY);
  EXPECT_TRUE(GroupsHoldAdministrators(*groups.list()));
  // Entries past the count are not looked at.
  groups.list()->GroupCount = 33;
  EXPECT_FALSE(GroupsHoldAdministrators(*groups.list()));
}

TEST(AppPrivilege, OwnTokenIsReadable) {
  std::int32_t type = 0, flag = 0;
  const bool admin = GetAdminState(type, flag);
  // The system's own answer for the same token.
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  UniqueSid admins;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                       admins.put()));
  BOOL member = FALSE;
  ASSERT_TRUE(CheckTokenMembership(nullptr, admins.get(), &member));
  if (member) {
    EXPECT_TRUE(admin);
  }
  EXPECT_TRUE(type >= 1 && type <= 3) << type;
  EXPECT_TRUE(flag == 0 || flag == 1) << flag;
}
