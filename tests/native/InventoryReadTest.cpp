// The saved inventory read strictly. (What the writer writes reads back
// exactly, hostile names among the seeds: InventoryReadFuzz and
// InventoryTextFuzz.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring out;
  for (unsigned u : units) out.push_back(static_cast<wchar_t>(u));
  return out;
}

TEST(NativeInventoryRead, RefusesAnythingButTheWritersShape) {
  const std::wstring good = L"[{\"kind\": \"bho\", \"ID\": \"x\", \"values\": {\"key\": -2147483646, \"hive\": \"S\"}}]";
  ASSERT_TRUE(inventory::ReadInventory(good).has_value());
  // Other spacing, member order, "\/", an escaped pair are still the shape.
  const auto loose = inventory::ReadInventory(
      L" \t[\r\n{ \"values\" :{}, \"ID\":\"a\\/\\ud83d\\ude00\",\"kind\":\"toolbar\" } ]\n");
  ASSERT_TRUE(loose.has_value());
  EXPECT_EQ((*loose)[0].record.ID, L"a/" + Units({0xD83D, 0xDE00}));

  const std::vector<std::wstring> bad = {
      L"", L"[", L"]", L"{}", L"[]]", L"[] x", L"[],", L"[{}]", L"[1]", L"[\"s\"]", L"[[]]",
      L"[{\"kind\": \"b\", \"ID\": \"x\"}]",                                          // no values
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {}, \"more\": 1}]",            // unknown member
      L"[{\"kind\": \"b\", \"kind\": \"b\", \"ID\": \"x\", \"values\": {}}]",        // twice
      L"[{\"kind\": 1, \"ID\": \"x\", \"values\": {}}]",                              // kind not text
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": []}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": {}}}]",                 // nested deeper
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": [1]}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": 1, \"A\": 2}}]",        // key twice
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": 2147483648}}]",         // beyond 32 bits
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": -2147483649}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": 1.5}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": 1e3}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": 01}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": -}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": true}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {\"a\": 1,}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\\q\", \"values\": {}}]",                       // unknown escape
      L"[{\"kind\": \"b\", \"ID\": \"x\\u12g4\", \"values\": {}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\\u12", L"[{\"kind\": \"b\", \"ID\": \"x\\",
      L"[{\"kind\": \"b\", \"ID\": \"a\nb\", \"values\": {}}]",                        // raw line break
      L"[{\"kind\": \"b\", \"ID\": \"" + Units({0xD800}) + L"\", \"values\": {}}]",  // raw lone surrogate
      L"[{\"kind\": \"b\", \"ID\": \"" + Units({0xDC00, 0xD800}) + L"\", \"values\": {}}]",
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {}}" + Units({0xA0}) + L"]",   // not JSON space
      L"[{\"kind\": \"b\", \"ID\": \"x\", \"values\": {}},]",
      std::wstring(L"[\0]", 3)};
  for (const auto& text : bad) EXPECT_FALSE(inventory::ReadInventory(text).has_value()) << bad.size();

  // Far deeper nesting than the shape is refused, not followed.
  EXPECT_FALSE(inventory::ReadInventory(std::wstring(100000, L'[') + std::wstring(100000, L']')).has_value());
}

TEST(NativeInventoryRead, Utf8IsDecodedStrictly) {
  EXPECT_EQ(inventory::DecodeUtf8("\xEF\xBB\xBF[]"), std::optional<std::wstring>(L"[]"));
  EXPECT_EQ(inventory::DecodeUtf8("a\xC3\xA9\xE2\x80\xAE\xF0\x9F\x98\x80"),
            std::optional<std::wstring>(L"a" + Units({0xE9, 0x202E, 0xD83D, 0xDE00})));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3",
                          "\xE2\x80", "\x80", "\xFF", "a\xC3(", "\xF8\x88\x80\x80\x80"})
    EXPECT_FALSE(inventory::DecodeUtf8(bad).has_value()) << bad;
}

TEST(NativeInventoryRead, IdentityAndDisplayName) {
  CResultNode node;
  node.ID = L"{ID}";
  node.params.Add(L"hive", L"S-1-5-21\\Software\\Microsoft\\Internet Explorer\\Toolbar");
  node.params.Add(L"key", std::int32_t{-2147483645});
  node.params.Add(L"view", std::int32_t{32});
  const auto identity = inventory::IdentityOf(L"toolbar", node);
  EXPECT_EQ(identity, (inventory::EntryIdentity{L"toolbar", L"{ID}",
                                                L"S-1-5-21\\Software\\Microsoft\\Internet Explorer\\Toolbar",
                                                -2147483645, 32}));
  EXPECT_NE(identity, inventory::IdentityOf(L"button", node));
  EXPECT_EQ(inventory::DisplayNameOf(node), L"{ID}");
  node.params.Add(L"displayName", L"Shown");
  EXPECT_EQ(inventory::DisplayNameOf(node), L"Shown");

  // A key or view as text is not the number: no identity made of a guess.
  CResultNode odd;
  odd.ID = L"{ID}";
  odd.params.Add(L"key", L"-2147483645");
  EXPECT_EQ(inventory::IdentityOf(L"toolbar", odd).key, 0);
}

}  // namespace
