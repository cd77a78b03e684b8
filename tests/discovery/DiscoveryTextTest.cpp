// Platform-free rules of discovery: names, addresses, SID texts, indirect
// strings, unique names.
#include <gtest/gtest.h>

#include <set>

#include "discovery/AddonText.h"
#include "discovery/UniqueNamer.h"
#include "discovery/IndirectStringText.h"
#include "discovery/SidText.h"
#include "support/TestSupport.h"

using namespace discovery;
using qlmtest::Narrow;

TEST(DiscoveryText, AddressesGiveTheirFile) {
  struct Case {
    std::wstring address, resourceFile, menuFile;
  };
  const Case cases[] = {
      {L"res://C:\\lib\\x.dll/page.htm", L"C:\\lib\\x.dll", L"C:\\lib\\x.dll"},
      {L"RES://shdoclc.dll/a/b.htm", L"shdoclc.dll", L"shdoclc.dll"},
      {L"res://x.dll", L"x.dll", L"x.dll"},
      {L"res:///lead", L"/lead", L"/lead"},  // a "/" in first place is part of the file
      {L"res://", L"", L""},
      {L"file://C:\\pages\\p.htm", L"file://C:\\pages\\p.htm", L"C:\\pages\\p.htm"},
      {L"FILE:///C:/pages/p.htm", L"FILE:///C:/pages/p.htm", L"C:/pages/p.htm"},
      {L"file:///relative", L"file:///relative", L"/relative"},
      {L"javascript:void(0)", L"javascript:void(0)", L"javascript:void(0)"},
      {L"res:/", L"res:/", L"res:/"},
      {L"", L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::ResourceAddressFile(c.address), c.resourceFile) << Narrow(c.address);
    EXPECT_EQ(text::MenuScriptFile(c.address), c.menuFile) << Narrow(c.address);
  }
}

TEST(DiscoveryText, SidTexts) {
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
    SidParts parts;
    EXPECT_EQ(ParseSidText(c.text, parts), c.ok) << Narrow(c.text);
    if (!c.ok) continue;
    EXPECT_EQ(parts.authority, c.authority) << Narrow(c.text);
    EXPECT_EQ(parts.subAuthorities, c.subs) << Narrow(c.text);
  }
}

TEST(DiscoveryText, IndirectStringForms) {
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
    EXPECT_EQ(ParseIndirectString(c.text, file, number), c.ok) << Narrow(c.text);
    if (!c.ok) continue;
    EXPECT_EQ(file, c.file) << Narrow(c.text);
    EXPECT_EQ(number, c.number) << Narrow(c.text);
  }
}

TEST(DiscoveryText, UniqueNamesNumberRepeats) {
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
