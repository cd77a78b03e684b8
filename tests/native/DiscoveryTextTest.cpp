// Platform-free decisions of discovery: which toolbar files are the
// system's own, and what a subkey of HKEY_USERS stands for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/AddonText.h"

using namespace discovery::text;

TEST(NativeDiscoveryText, OnlyTheSystemsOwnFilesAreBuiltIn) {
  const std::vector<std::wstring> system = {L"C:\\Windows\\system32"};
  const std::vector<std::wstring> wow32 = {L"C:\\Windows\\SysWOW64\\"};
  // The system's files, however the resolved path spells them.
  EXPECT_TRUE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\ieframe.dll", system));
  EXPECT_TRUE(IsBuiltInToolbarFile(L"c:\\WINDOWS\\SYSTEM32\\IEFRAME.DLL", system));
  EXPECT_TRUE(IsBuiltInToolbarFile(L"C:/Windows/System32/shell32.dll", system));
  EXPECT_TRUE(IsBuiltInToolbarFile(L"\\\\?\\C:\\Windows\\System32\\browseui.dll", system));
  EXPECT_TRUE(IsBuiltInToolbarFile(L"C:\\Windows\\System32\\msdxm.ocx", system));
  EXPECT_TRUE(IsBuiltInToolbarFile(L"C:\\Windows\\SysWOW64\\ExplorerFrame.dll", wow32));
  // The same names elsewhere are add-ons.
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\ProgramData\\Ad\\ieframe.dll", system));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\sub\\ieframe.dll", system));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32ieframe.dll", system));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\myieframe.dll", system));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\ieframe.dll:x", system));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"ieframe.dll", system));  // not resolved: not the system's
  EXPECT_FALSE(IsBuiltInToolbarFile(L"\\\\host\\Windows\\system32\\ieframe.dll", system));
  // A 32-bit entry's system folder is the 32-bit one only.
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\ieframe.dll", wow32));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\SysWOW64\\ieframe.dll", system));
  // No folder known: nothing is built in.
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\ieframe.dll", {}));
  EXPECT_FALSE(IsBuiltInToolbarFile(L"\\ieframe.dll", {L""}));
  // Only A-Z fold: a different letter never makes the system's path.
  EXPECT_FALSE(IsBuiltInToolbarFile(L"C:\\Windows\\system32\\\u0130eframe.dll", system));

  EXPECT_TRUE(IsFileInFolders(L"C:\\Windows\\System32\\SHDOCVW.DLL", L"shdocvw.dll", system));
  EXPECT_FALSE(IsFileInFolders(L"C:\\Maker\\shdocvw.dll", L"shdocvw.dll", system));
  EXPECT_FALSE(IsFileInFolders(L"", L"shdocvw.dll", system));
}

TEST(NativeDiscoveryText, KindsOfUserKeys) {
  struct Case {
    std::wstring name;
    UserKeyKind kind;
  };
  const Case cases[] = {
      {L".DEFAULT", UserKeyKind::Default},
      {L".default", UserKeyKind::Default},
      {L"S-1-5-18", UserKeyKind::Sid},
      {L"S-1-5-21-1004336348-1177238915-682003330-1001", UserKeyKind::Sid},
      {L"S-1-5-21-1004336348-1177238915-682003330-1001_Classes", UserKeyKind::Classes},
      {L"S-1-5-21-1-2-3-1001_CLASSES", UserKeyKind::Classes},
      {L"S-1-5-18_classes", UserKeyKind::Classes},
      {L"_Classes", UserKeyKind::Classes},
      {L"S-1-5-21-1-2-3-1001_Classes2", UserKeyKind::Sid},
      {L"S-1-5-21-1-2-3-1001_Classe", UserKeyKind::Sid},
      {L"s-1-5-18", UserKeyKind::Other},
      {L"Classes", UserKeyKind::Other},
      {L"", UserKeyKind::Other},
  };
  for (const auto& c : cases)
    EXPECT_EQ(static_cast<int>(ClassifyUserKey(c.name)), static_cast<int>(c.kind)) << c.name.size();
}
