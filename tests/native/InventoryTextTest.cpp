#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "../qmscan/ParseBack.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryText.h"

using qlmtest::EvaluableCell;
using qlmtest::HoldsUnsafeCharacter;

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring out;
  for (unsigned u : units) out.push_back(static_cast<wchar_t>(u));
  return out;
}

// The name a CSV text cell shows, read back: the mark taken off, the
// caret notation undone.
std::optional<std::wstring> NameOfCell(std::wstring cell) {
  if (!cell.empty() && cell.front() == L'\'') cell.erase(0, 1);
  return discovery::text::FromVisibleText(cell);
}

TEST(NativeInventoryText, CsvTextCellsAreVisibleAndNeverEvaluated) {
  EXPECT_EQ(inventory::CsvField(L"=cmd|' /C calc'!A0"), L"'=cmd|' /C calc'!A0");
  EXPECT_EQ(inventory::CsvField(L"+1"), L"'+1");
  EXPECT_EQ(inventory::CsvField(L"-1"), L"'-1");
  EXPECT_EQ(inventory::CsvField(L"@A1"), L"'@A1");
  EXPECT_EQ(inventory::CsvField(L"'x"), L"''x");
  EXPECT_EQ(inventory::CsvField(L"a=b-c"), L"a=b-c");
  EXPECT_EQ(inventory::CsvField(L"\t=1"), L"^I=1");
  EXPECT_EQ(inventory::CsvField(L"\r\n=1"), L"^M^J=1");
  EXPECT_EQ(inventory::CsvField(L"=a,\"b\""), L"\"'=a,\"\"b\"\"\"");
  EXPECT_EQ(inventory::CsvField(std::wstring(L"\0x", 2)), L"^@x");
  EXPECT_EQ(inventory::CsvField(L"^@x"), L"^^@x");
  EXPECT_EQ(inventory::CsvNumber(-2147483646), L"-2147483646");
  // Any name as a cell (one field, nothing raw, nothing evaluable, the
  // exact name back), hostile ones among the seeds: InventoryTextFuzz.
}

TEST(NativeInventoryText, CsvRowOfAHostileRecordReadsBackSafe) {
  CResultNode node;
  node.ID = L"=cmd|' /C calc'!A0" + Units({0x1B}) + L"[2J\r\n";
  node.params.Add(L"name", L"-1+1");
  node.params.Add(L"displayName", L"@x" + Units({0x202E}));
  node.params.Add(L"key", std::int32_t{-2147483646});
  node.params.Add(L"hive", L"Software\\Microsoft\\Internet Explorer\\MenuExt");
  node.params.Add(L"view", std::int32_t{64});
  node.params.Add(L"fileNote", L"Network path, not opened");

  const std::vector<std::wstring> columns = inventory::CsvValueColumns();
  ASSERT_NE(std::find(columns.begin(), columns.end(), L"fileNote"), columns.end());
  std::vector<std::vector<std::wstring>> rows;
  ASSERT_TRUE(qlmtest::ParseCsv(inventory::CsvHeader() + inventory::CsvRow(L"menuext", node), rows));
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].size(), columns.size() + 2);
  ASSERT_EQ(rows[1].size(), columns.size() + 2);
  for (const auto& row : rows)
    for (const auto& field : row) {
      EXPECT_FALSE(HoldsUnsafeCharacter(field));
      if (field != L"-2147483646") EXPECT_FALSE(EvaluableCell(field)) << rows[1].size();
    }

  auto cell = [&](const std::wstring& column) {
    for (std::size_t i = 0; i < columns.size(); ++i)
      if (columns[i] == column) return rows[1][i + 2];
    return std::wstring(L"(no column)");
  };
  EXPECT_EQ(rows[1][0], L"menuext");
  EXPECT_EQ(NameOfCell(rows[1][1]), std::optional<std::wstring>(node.ID));
  EXPECT_EQ(cell(L"Name"), L"'-1+1");
  EXPECT_EQ(cell(L"displayName"), L"'@x^{202E}");
  EXPECT_EQ(cell(L"key"), L"-2147483646");
  EXPECT_EQ(cell(L"view"), L"64");
  EXPECT_EQ(cell(L"fileNote"), L"Network path, not opened");
  EXPECT_EQ(cell(L"dLL"), L"");
}

TEST(NativeInventoryText, JsonGivesEveryNameBackExactlyAndSafely) {
  EXPECT_EQ(inventory::JsonString(Units({0x41, 0x00, 0x1B, 0x7F, 0x9B, 0x202E})),
            L"\"A\\u0000\\u001b\\u007f\\u009b\\u202e\"");
  EXPECT_EQ(inventory::JsonString(L"^\t"), L"\"^\\t\"");
  EXPECT_EQ(inventory::JsonString(Units({0x78, 0xD800, 0x79, 0xDC00})), L"\"x\\ud800y\\udc00\"");
  EXPECT_EQ(inventory::JsonString(Units({0xD83D, 0xDE00})), L"\"" + Units({0xD83D, 0xDE00}) + L"\"");  // a pair as it is

  CResultNode node;
  node.ID = std::wstring(L"\0evil", 5);
  node.params.Add(L"key", std::int32_t{-2147483646});
  node.params.Add(L"name", Units({0x202E}) + L"cod.exe");
  qlmtest::JsonValue doc;
  ASSERT_TRUE(qlmtest::ParseJson(inventory::JsonRecord(L"menuext", node), doc));
  const auto& object = *std::get<std::shared_ptr<qlmtest::JsonObject>>(doc.value);
  ASSERT_EQ(object.size(), 3u);
  EXPECT_EQ(std::get<std::wstring>(object[1].second.value), node.ID);
  const auto& values = *std::get<std::shared_ptr<qlmtest::JsonObject>>(object[2].second.value);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(std::get<std::int64_t>(values[0].second.value), -2147483646);
  EXPECT_EQ(std::get<std::wstring>(values[1].second.value), Units({0x202E}) + L"cod.exe");
}

TEST(NativeInventoryText, TerminalTextKeepsLineBreaksOnly) {
  EXPECT_EQ(inventory::TerminalSafe(L"qmscan: unknown argument \"x\".\r\nUse ^@ for NUL.\n"),
            L"qmscan: unknown argument \"x\".\r\nUse ^@ for NUL.\n");
  EXPECT_EQ(inventory::TerminalSafe(L"a" + Units({0x1B}) + L"[2Jb\rc\r\n"), L"a^[[2Jb^Mc\r\n");
  EXPECT_EQ(inventory::TerminalSafe(Units({0x9B, 0x202E, 0xD800, 0xD83D, 0xDE00})),
            L"^{009B}^{202E}^{D800}" + Units({0xD83D, 0xDE00}));
  EXPECT_EQ(inventory::TerminalSafe(L"\r"), L"^M");
}

}  // namespace
