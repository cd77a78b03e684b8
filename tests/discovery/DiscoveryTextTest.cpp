// Unique names within one listing. (The platform-free rules of names,
// addresses, SID texts and indirect strings: tests/native.)
#include <gtest/gtest.h>

#include <set>

#include "engine/text/UniqueNamer.h"

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
