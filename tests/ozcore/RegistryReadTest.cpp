#include <gtest/gtest.h>

#include "ozcore/CRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;

TEST(RegistryRead, EveryValueTypeAndHostileData) {
  ScratchKey k(HKEY_CURRENT_USER, L"read");
  const auto p = k.Path();
  SetString(HKEY_CURRENT_USER, p, L"", L"the default");
  SetString(HKEY_CURRENT_USER, p, L"sz", L"Stra\u00DFe \u4E2D");
  SetEnvironmentVariableW(L"QLM_READ_TEST", L"C:\\Expanded");
  SetString(HKEY_CURRENT_USER, p, L"expand", L"%QLM_READ_TEST%\\x.dll", REG_EXPAND_SZ);
  SetDword(HKEY_CURRENT_USER, p, L"dword", 0xDEADBEEF);
  const wchar_t multi[] = L"one\0two\0";
  SetValue(HKEY_CURRENT_USER, p, L"multi", REG_MULTI_SZ, multi, sizeof(multi));
  const unsigned char bin[] = {1, 2, 3};
  SetValue(HKEY_CURRENT_USER, p, L"binary", REG_BINARY, bin, sizeof(bin));
  // Hostile forms: no closing NUL, a NUL inside, an odd byte, a short dword.
  const wchar_t noNul[] = {L'a', L'b', L'c'};
  SetValue(HKEY_CURRENT_USER, p, L"nonul", REG_SZ, noNul, sizeof(noNul));
  const wchar_t inner[] = L"left\0right";
  SetValue(HKEY_CURRENT_USER, p, L"inner", REG_SZ, inner, sizeof(inner));
  const char odd[] = {'h', 0, 'i', 0, 'x'};
  SetValue(HKEY_CURRENT_USER, p, L"odd", REG_SZ, odd, sizeof(odd));
  const unsigned char shortDword[] = {7, 0};
  SetValue(HKEY_CURRENT_USER, p, L"shortdword", REG_DWORD, shortDword, sizeof(shortDword));
  SetValue(HKEY_CURRENT_USER, p, L"emptysz", REG_SZ, nullptr, 0);
  const std::wstring big(32 * 1024 + 17, L'Q');
  SetString(HKEY_CURRENT_USER, p, L"big", big);

  CRegistry r;
  std::wstring s;
  const std::pair<const wchar_t*, std::wstring> strings[] = {
      {L"", L"the default"}, {L"sz", L"Stra\u00DFe \u4E2D"}, {L"expand", L"C:\\Expanded\\x.dll"},
      {L"big", big},  // read whole, whatever the length
      {L"nonul", L"abc"}, {L"inner", L"left"}, {L"odd", L"hi"}, {L"emptysz", L""}};
  for (const auto& [name, want] : strings) {
    EXPECT_TRUE(r.ReadString(HKEY_CURRENT_USER, p, name, s)) << Narrow(name);
    EXPECT_EQ(s, want) << Narrow(name);
  }

  // Other types are not strings; the output is left empty.
  s = L"stale";
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p, L"dword", s));
  EXPECT_EQ(s, L"");
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p, L"multi", s));
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p, L"binary", s));
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p, L"absent", s));
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p + L"\\no such key", L"", s));

  std::uint32_t d = 99;
  EXPECT_TRUE(r.ReadDWORD(HKEY_CURRENT_USER, p, L"dword", d));
  EXPECT_EQ(d, 0xDEADBEEFu);
  EXPECT_FALSE(r.ReadDWORD(HKEY_CURRENT_USER, p, L"shortdword", d));
  EXPECT_EQ(d, 0u);
  EXPECT_FALSE(r.ReadDWORD(HKEY_CURRENT_USER, p, L"sz", d));
  EXPECT_FALSE(r.ReadDWORD(HKEY_CURRENT_USER, p, L"absent", d));
}

TEST(RegistryRead, EnumerationOfNamesAndMissingKeys) {
  ScratchKey k(HKEY_CURRENT_USER, L"enum");
  const auto p = k.Path();
  const std::wstring notClsid = L"{this-is-38-chars-but-not-a-clsid-xyz}";
  ASSERT_EQ(notClsid.size(), 38u);
  const std::wstring longName(300, L'v');
  for (const auto& name : {std::wstring(L"b"), std::wstring(L"a"), notClsid, longName, std::wstring(L"\u4E2D\u6587")})
    SetString(HKEY_CURRENT_USER, p, name, L"x");
  SetString(HKEY_CURRENT_USER, p, L"", L"default");
  CreateKey(HKEY_CURRENT_USER, p + L"\\sub1");
  CreateKey(HKEY_CURRENT_USER, p + L"\\" + notClsid);

  CRegistry r;
  const auto values = r.EnumValueNames(HKEY_CURRENT_USER, p);
  EXPECT_EQ(values.Count(), 6u);
  EXPECT_TRUE(values.Exists(notClsid));
  EXPECT_TRUE(values.Exists(longName));
  EXPECT_TRUE(values.Exists(L"\u4E2D\u6587"));
  EXPECT_TRUE(values.Exists(L""));  // the default value has the empty name

  const auto keys = r.EnumSubKeys(HKEY_CURRENT_USER, p);
  EXPECT_EQ(keys.Count(), 2u);
  EXPECT_TRUE(keys.Exists(notClsid));
  EXPECT_TRUE(keys.Exists(L"sub1"));

  EXPECT_EQ(r.EnumSubKeys(HKEY_CURRENT_USER, p + L"\\missing").Count(), 0u);
  EXPECT_EQ(r.EnumValueNames(HKEY_CURRENT_USER, p + L"\\missing").Count(), 0u);
  // "" is the root itself.
  EXPECT_TRUE(r.EnumSubKeys(HKEY_CURRENT_USER, L"").Exists(L"Software"));
  EXPECT_GE(r.EnumSubKeys(HKEY_USERS, L"").Count(), 1u);
}

TEST(RegistryRead, KeyDeletedBetweenEnumerationAndRead) {
  ScratchKey k(HKEY_CURRENT_USER, L"vanish");
  const auto p = k.Path();
  SetString(HKEY_CURRENT_USER, p + L"\\gone", L"", L"soon gone");
  SetString(HKEY_CURRENT_USER, p + L"\\kept", L"", L"kept");

  CRegistry r;
  std::wstring s;
  // The object keeps the key it read last open; deleting that key under it
  // must give clean failures, not stale data.
  EXPECT_TRUE(r.ReadString(HKEY_CURRENT_USER, p + L"\\gone", L"", s));
  const auto names = r.EnumSubKeys(HKEY_CURRENT_USER, p);
  ASSERT_EQ(names.Count(), 2u);
  DeleteTree(HKEY_CURRENT_USER, p + L"\\gone");
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p + L"\\gone", L"", s));
  EXPECT_EQ(s, L"");
  EXPECT_EQ(r.EnumValueNames(HKEY_CURRENT_USER, p + L"\\gone").Count(), 0u);
  EXPECT_TRUE(r.ReadString(HKEY_CURRENT_USER, p + L"\\kept", L"", s));
  EXPECT_EQ(s, L"kept");
}

TEST(RegistryWrite, DeleteValueAndKey) {
  ScratchKey k(HKEY_CURRENT_USER, L"delete");
  const auto p = k.Path();
  SetString(HKEY_CURRENT_USER, p, L"{A}", L"");
  SetString(HKEY_CURRENT_USER, p, L"{B}", L"");
  SetString(HKEY_CURRENT_USER, p + L"\\tree\\deep\\deeper", L"v", L"x");
  SetString(HKEY_CURRENT_USER, p + L"\\tree", L"v", L"x");
  SetString(HKEY_CURRENT_USER, p + L"\\treeSibling", L"v", L"x");

  CRegistry r;
  std::wstring s;
  ASSERT_TRUE(r.ReadString(HKEY_CURRENT_USER, p, L"{A}", s));  // key now cached
  EXPECT_TRUE(r.DeleteValue(HKEY_CURRENT_USER, p, L"{A}"));
  EXPECT_FALSE(r.DeleteValue(HKEY_CURRENT_USER, p, L"{A}"));
  EXPECT_FALSE(r.DeleteValue(HKEY_CURRENT_USER, p + L"\\missing", L"{A}"));
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p, L"{A}", s));
  EXPECT_TRUE(r.ReadString(HKEY_CURRENT_USER, p, L"{B}", s));

  std::wstring reason;
  EXPECT_TRUE(r.DeleteKey(HKEY_CURRENT_USER, p + L"\\tree", reason));
  EXPECT_EQ(reason, L"");
  EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, p + L"\\tree"));
  EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, p + L"\\treeSibling"));  // only that key

  EXPECT_FALSE(r.DeleteKey(HKEY_CURRENT_USER, p + L"\\tree", reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(r.DeleteKey(HKEY_CURRENT_USER, L"", reason));  // never a whole root
  EXPECT_FALSE(reason.empty());
}

TEST(RegistryRead, SeveralCategoriesInOnePass) {
  const std::wstring vertical = NewClsid(), horizontal = NewClsid(), other = NewClsid();
  const std::wstring both = NewClsid(), onlyH = NewClsid(), onlyOther = NewClsid(), emptyList = NewClsid(),
                     none = NewClsid();
  const std::wstring base = L"Software\\Classes\\CLSID\\";
  CreateKey(HKEY_LOCAL_MACHINE, base + both + L"\\Implemented Categories\\" + vertical);
  CreateKey(HKEY_LOCAL_MACHINE, base + both + L"\\Implemented Categories\\" + horizontal);
  CreateKey(HKEY_LOCAL_MACHINE, base + onlyH + L"\\Implemented Categories\\" + horizontal);
  CreateKey(HKEY_LOCAL_MACHINE, base + onlyOther + L"\\Implemented Categories\\" + other);
  CreateKey(HKEY_LOCAL_MACHINE, base + emptyList + L"\\Implemented Categories");
  SetString(HKEY_LOCAL_MACHINE, base + none, L"", L"no categories");

  CRegistry r;
  const auto found = r.EnumCategoryClasses(std::vector<std::wstring>{vertical, horizontal});
  const auto swapped = r.EnumCategoryClasses(std::vector<std::wstring>{horizontal, vertical});
  const auto singleH = r.EnumCategoryClasses(horizontal);
  const auto nothing = r.EnumCategoryClasses(std::vector<std::wstring>{});
  for (const auto& k : {both, onlyH, onlyOther, emptyList, none}) DeleteTree(HKEY_LOCAL_MACHINE, base + k);

  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].Keys(), std::vector<std::wstring>{both});
  ASSERT_EQ(found[1].Count(), 2u);
  EXPECT_TRUE(found[1].Exists(both));
  EXPECT_TRUE(found[1].Exists(onlyH));
  // One dictionary per category, in the order asked, and the same classes
  // as asking for each category alone.
  ASSERT_EQ(swapped.size(), 2u);
  EXPECT_EQ(swapped[0].Keys(), found[1].Keys());
  EXPECT_EQ(swapped[1].Keys(), found[0].Keys());
  EXPECT_EQ(singleH.Keys(), found[1].Keys());
  EXPECT_TRUE(nothing.empty());
}
