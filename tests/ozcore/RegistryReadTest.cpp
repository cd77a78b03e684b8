#include <gtest/gtest.h>

#include "ozcore/CRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;

TEST(RegistryWrite, DeleteValueAndKey) {
  ScratchKey k(HKEY_CURRENT_USER, L"delete");
  const auto p = k.Path();
  SetString(HKEY_CURRENT_USER, p, L"{A}", L"");
  SetString(HKEY_CURRENT_USER, p, L"{B}", L"");
  SetString(HKEY_CURRENT_USER, p + L"\\tree\\deep\\deeper", L"v", L"x");
  SetString(HKEY_CURRENT_USER, p + L"\\tree", L"v", L"x");
  SetString(HKEY_CURRENT_USER, p + L"\\treeSibling", L"v", L"x");
  SetDword(HKEY_CURRENT_USER, p, L"dword", 0xDEADBEEF);
  const unsigned char shortDword[] = {7, 0};
  SetValue(HKEY_CURRENT_USER, p, L"short", REG_DWORD, shortDword, sizeof shortDword);

  CRegistry r;
  std::wstring s;
  ASSERT_TRUE(r.ReadString(HKEY_CURRENT_USER, p, L"{A}", s));  // key now cached
  EXPECT_TRUE(r.DeleteValue(HKEY_CURRENT_USER, p, L"{A}"));
  EXPECT_FALSE(r.DeleteValue(HKEY_CURRENT_USER, p, L"{A}"));
  EXPECT_FALSE(r.DeleteValue(HKEY_CURRENT_USER, p + L"\\missing", L"{A}"));
  EXPECT_FALSE(r.ReadString(HKEY_CURRENT_USER, p, L"{A}", s));
  EXPECT_TRUE(r.ReadString(HKEY_CURRENT_USER, p, L"{B}", s));
  // The window's place is read as dwords: only four bytes of that type count.
  std::uint32_t d = 0;
  EXPECT_TRUE(r.ReadDWORD(HKEY_CURRENT_USER, p, L"dword", d) && d == 0xDEADBEEFu);
  EXPECT_FALSE(r.ReadDWORD(HKEY_CURRENT_USER, p, L"short", d));

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
