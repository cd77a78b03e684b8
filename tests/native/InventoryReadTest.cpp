#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <variant>
#include <vector>

#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring out;
  for (unsigned u : units) out.push_back(static_cast<wchar_t>(u));
  return out;
}

// UTF-8 of UTF-16 units, written apart from the reader (lone surrogates
// never reach it: the JSON writer escapes them).
std::string Utf8(const std::wstring& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) cp = 0x10000 + ((cp - 0xD800) << 10) + ((text[++i] & 0xFFFF) - 0xDC00);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::vector<std::wstring> HostileNames() {
  return {std::wstring(L"\0evil", 5),
          L"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuillmoorCanary]\r\n",
          L"say \"hi\" \\ back\\slash / ",
          Units({0x1B}) + L"[2J" + Units({0x07, 0x7F, 0x85, 0x9B}),
          Units({0xD800, 0x78, 0xDC00, 0xDBFF}),
          Units({0xD83D, 0xDE00, 0x202E, 0x2066, 0xFEFF, 0x200B}) + L"cod.exe",
          L"{00021493-0000-0000-C000-000000000046}",
          L""};
}

TEST(NativeInventoryRead, JsonDocumentReadsBackExactlyOverHostileNames) {
  const auto names = HostileNames();
  std::vector<CResultNode> nodes(names.size());
  std::vector<inventory::KindRecord> records;
  for (std::size_t i = 0; i < names.size(); ++i) {
    nodes[i].ID = names[i];
    nodes[i].params.Add(L"displayName", names[(i + 1) % names.size()]);
    nodes[i].params.Add(L"key", std::int32_t{i % 2 ? INT32_MIN : INT32_MAX});
    nodes[i].params.Add(names[(i + 2) % names.size()] + L"!", names[i]);
    nodes[i].params.Add(L"view", static_cast<std::int32_t>(i));
    records.push_back({names[(i + 3) % names.size()], &nodes[i]});
  }
  const std::wstring document = inventory::JsonDocument(records);
  // As the file holds it: UTF-8, read back strictly.
  const auto text = inventory::DecodeUtf8(Utf8(document));
  ASSERT_TRUE(text.has_value());
  ASSERT_EQ(*text, document);

  const auto entries = inventory::ReadInventory(*text);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& entry = (*entries)[i];
    EXPECT_EQ(entry.kind, records[i].kind);
    EXPECT_EQ(entry.record.ID, nodes[i].ID);
    ASSERT_EQ(entry.record.params.Count(), 4u);
    for (std::size_t v = 1; v <= 4; ++v) {
      EXPECT_EQ(entry.record.params.At(v)->Key(), nodes[i].params.At(v)->Key());
      EXPECT_TRUE(entry.record.params.At(v)->Values(1) == nodes[i].params.At(v)->Values(1)) << i << "/" << v;
    }
    EXPECT_EQ(inventory::IdentityOf(entry), inventory::IdentityOf(records[i].kind, nodes[i]));
  }
  EXPECT_EQ(inventory::JsonDocument({}), L"[]\r\n");
  EXPECT_EQ(inventory::ReadInventory(L"[]\r\n")->size(), 0u);
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
  EXPECT_EQ(identity.kind, L"toolbar");
  EXPECT_EQ(identity.id, L"{ID}");
  EXPECT_EQ(identity.hive, L"S-1-5-21\\Software\\Microsoft\\Internet Explorer\\Toolbar");
  EXPECT_EQ(identity.key, -2147483645);
  EXPECT_EQ(identity.view, 32);
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
