#include <gtest/gtest.h>

#include "ozcore/CParams.h"
#include "ozcore/CStringDictionary.h"

TEST(StringDictionary, KeepsOrderAndEachKeyOnce) {
  CStringDictionary d;
  EXPECT_TRUE(d.Add(L"one", L"a"));
  EXPECT_TRUE(d.Add(L"two", L"b"));
  EXPECT_TRUE(d.Add(L"three", L"c"));
  EXPECT_FALSE(d.Add(L"again", L"b"));  // a key is never added twice
  EXPECT_EQ(d.Item(L"b"), L"two");
  EXPECT_EQ(d.Items(), (std::vector<std::wstring>{L"one", L"two", L"three"}));

  d.Set(L"a", L"uno");  // replaced in place
  EXPECT_EQ(d.Item(1), L"uno");
  EXPECT_EQ(d.Item(0) + d.Item(4) + d.Item(L"missing"), L"");  // out of range: empty
}

TEST(StringDictionary, CompareModes) {
  CStringDictionary binary;
  EXPECT_TRUE(binary.Add(L"x", L"Key"));
  EXPECT_TRUE(binary.Add(L"y", L"KEY"));
  EXPECT_FALSE(binary.Exists(L"key"));

  CStringDictionary text(CStringDictionary::Compare::Text);
  EXPECT_TRUE(text.Add(L"x", L"Stra\u00DFe \u00C4rger"));
  EXPECT_TRUE(text.Exists(L"STRA\u00DFE \u00E4RGER"));
  EXPECT_FALSE(text.Add(L"y", L"KEY") && text.Add(L"z", L"key"));
  EXPECT_EQ(text.Key(1), L"Stra\u00DFe \u00C4rger");  // the key as first given

  CStringDictionary copy = text;
  copy.Remove(L"key");
  EXPECT_TRUE(text.Exists(L"key"));  // copies are independent
}

TEST(Params, CaseInsensitiveKeysInInsertionOrder) {
  CParams p;
  EXPECT_TRUE(p.Add(L"cATID", std::wstring(L"{X}")));
  EXPECT_TRUE(p.Add(L"key", std::int32_t{-2147483646}));
  EXPECT_TRUE(p.Add(L"displayName", std::wstring(L"Bar")));
  EXPECT_FALSE(p.Add(L"DISPLAYNAME", std::wstring(L"other")));
  EXPECT_TRUE(p.IsInCollection(L"CATID"));
  EXPECT_EQ(p.Text(L"catid"), L"{X}");
  ASSERT_NE(p.Find(L"KEY"), nullptr);
  EXPECT_EQ(p.Find(L"KEY")->Number(), -2147483646);
  EXPECT_EQ(p.Find(L"KEY")->Text(), L"-2147483646");
  EXPECT_EQ(p.At(3)->Key() + L"=" + p.At(3)->Text(), L"displayName=Bar");
  EXPECT_EQ(p.At(4), nullptr);
  EXPECT_EQ(p.Text(L"missing"), L"");

  CParam numberText(L"n", std::wstring(L"\u0131"));  // not a digit, whatever its low byte
  EXPECT_EQ(numberText.Number(), 0);
}

TEST(ResultNodes, RecordsOutliveTheirList) {
  std::shared_ptr<CResultNode> kept;
  {
    CResultNodes list;
    auto& first = list.Add();
    first.ID = L"{A}";
    first.params.Add(L"displayName", std::wstring(L"A"));
    list.Add().ID = L"{B}";
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Item(2)->ID, L"{B}");
    EXPECT_EQ(list.Item(3), nullptr);
    kept = list.Shared(1);
  }
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->params.Text(L"displayname"), L"A");
}
