// Platform-free decisions of discovery: which toolbar files are the
// system's own, what a subkey of HKEY_USERS stands for, the file of an
// address, SID texts, indirect strings and unique names in one listing.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/text/AddonText.h"
#include "engine/files/IndirectStringText.h"
#include "engine/text/SidText.h"
#include "engine/text/UniqueNamer.h"

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

// What AddressFuzz's property leaves open: a classes hive's name is no
// user's, and where the "/" after "res://" or "file://" goes.
TEST(NativeDiscoveryText, ClassesHivesAndAddressesWithALeadingSlash) {
  for (const std::wstring name : {L"S-1-5-21-1004336348-1177238915-682003330-1001_Classes",
                                  L"S-1-5-21-1-2-3-1001_CLASSES", L"S-1-5-18_classes", L"_Classes"})
    EXPECT_EQ(ClassifyUserKey(name), UserKeyKind::Classes) << name.size();
  EXPECT_EQ(ResourceAddressFile(L"res:///lead"), L"/lead");  // a "/" in first place is part of the file
  EXPECT_EQ(MenuScriptFile(L"res:///lead"), L"/lead");
  EXPECT_EQ(MenuScriptFile(L"FILE:///C:/pages/p.htm"), L"C:/pages/p.htm");
  EXPECT_EQ(MenuScriptFile(L"file:///relative"), L"/relative");
}

TEST(NativeDiscoveryText, SidTexts) {
  struct Case {
    std::wstring text;
    bool ok;
    unsigned authority;
    std::vector<std::uint32_t> subs;
  };
  const Case cases[] = {
      {L"S-1-5-18", true, 5, {18}},
      {L"S-1-5-21-1004336348-1177238915-682003330-512", true, 5, {21, 1004336348u, 1177238915u, 682003330u, 512u}},
      {L"S-1--5---18-", true, 5, {18}},                       // empty fields are skipped
      {L"S-1-255-4294967295-2147483648", true, 255, {4294967295u, 2147483648u}},
      {L"S-1-256-7", false, 0, {}},                           // authority above one byte
      {L"S-1-5-4294967296", false, 0, {}},                    // beyond 32 bits
      {L"S-1-5-21-1-2-3-1001_Classes", false, 0, {}},          // the classes hive of a user
      {L"S-1-5", false, 0, {}},                               // no sub-authority
      {L"S-1-5-+18", false, 0, {}},
      {L"S", false, 0, {}},
      {L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15", true, 5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", false, 0, {}},  // more than a SID holds
  };
  for (const auto& c : cases) {
    discovery::SidParts parts;
    EXPECT_EQ(discovery::ParseSidText(c.text, parts), c.ok) << c.text.size();
    if (!c.ok) continue;
    EXPECT_EQ(parts.authority, c.authority) << c.text.size();
    EXPECT_EQ(parts.subAuthorities, c.subs) << c.text.size();
  }
}

TEST(NativeDiscoveryText, IndirectStringForms) {
  struct Case {
    std::wstring text;
    bool ok;
    std::wstring file;
    std::uint32_t number;
  };
  const Case cases[] = {
      {L"@C:\\x\\bar.dll,-101", true, L"C:\\x\\bar.dll", 101},
      {L"@  C:\\x\\bar.dll  , -7", true, L"C:\\x\\bar.dll", 7},
      {L"@%SystemRoot%\\a.dll,-12;v2", true, L"%SystemRoot%\\a.dll", 12},  // reading stops at ';'
      {L"@a.dll,-1-2", true, L"a.dll", 12},                               // every '-' removed
      {L"@a.dll,101,extra", true, L"a.dll", 101},
      {L"@a.dll,-2.5", true, L"a.dll", 2},                                // a half goes to the even one
      {L"@a.dll,-3.5", true, L"a.dll", 4},
      {L"@a.dll,-3.51", true, L"a.dll", 4},
      {L"@a.dll,-3.4", true, L"a.dll", 3},
      {L"@a.dll,-x", true, L"a.dll", 0},
      {L"@a.dll,-65535", true, L"a.dll", 65535},
      {L"@a.dll,-65536", false, L"", 0},
      {L"@a.dll,-99999999999999999999", false, L"", 0},
      {L"@a.dll", false, L"", 0},  // no number piece: shown as written
      {L"@ ,-5", false, L"", 0},
      {L"a.dll,-5", false, L"", 0},
      {L"", false, L"", 0},
  };
  for (const auto& c : cases) {
    std::wstring file;
    std::uint32_t number = 99;
    EXPECT_EQ(discovery::ParseIndirectString(c.text, file, number), c.ok) << c.text.size();
    if (!c.ok) continue;
    EXPECT_EQ(file, c.file) << c.text.size();
    EXPECT_EQ(number, c.number) << c.text.size();
  }
}

TEST(NativeDiscoveryText, UniqueNamesNumberRepeats) {
  UniqueNamer namer;
  EXPECT_EQ(namer.Rename(L"Bar"), L"Bar");
  EXPECT_EQ(namer.Rename(L"  Bar "), L"Bar (2)");
  EXPECT_EQ(namer.Rename(L"Other"), L"Other");
  EXPECT_EQ(namer.Rename(L"Bar"), L"Bar (3)");
  EXPECT_EQ(namer.Rename(L"bar"), L"bar");  // letter case makes another name
  EXPECT_EQ(namer.Rename(L"%2 (%1)"), L"%2 (%1)");
  EXPECT_EQ(namer.Rename(L"%2 (%1)"), L"%2 (%1) (2)");  // markers in a name stay as they are

  // A name that looks like a numbered one never repeats a given-out name,
  // whichever comes first.
  UniqueNamer a;
  EXPECT_EQ(a.Rename(L"Foo"), L"Foo");
  EXPECT_EQ(a.Rename(L"Foo"), L"Foo (2)");
  EXPECT_EQ(a.Rename(L"Foo (2)"), L"Foo (2) (2)");
  UniqueNamer b;
  EXPECT_EQ(b.Rename(L"Foo (2)"), L"Foo (2)");
  EXPECT_EQ(b.Rename(L"Foo"), L"Foo");
  EXPECT_EQ(b.Rename(L"Foo"), L"Foo (3)");
  EXPECT_EQ(b.Rename(L"Foo"), L"Foo (4)");

  // Many repeats stay cheap and distinct.
  UniqueNamer many;
  std::set<std::wstring> seen;
  for (int i = 0; i < 5000; ++i) seen.insert(many.Rename(L"Same"));
  EXPECT_EQ(seen.size(), 5000u);
  EXPECT_TRUE(seen.count(L"Same (5000)"));
}
