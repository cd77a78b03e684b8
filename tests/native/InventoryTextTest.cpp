#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/InventoryText.h"

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring out;
  for (unsigned u : units) out.push_back(static_cast<wchar_t>(u));
  return out;
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

TEST(NativeInventoryText, JsonGivesEveryNameBackExactlyAndSafely) {
  EXPECT_EQ(inventory::JsonString(Units({0x41, 0x00, 0x1B, 0x7F, 0x9B, 0x202E})),
            L"\"A\\u0000\\u001b\\u007f\\u009b\\u202e\"");
  EXPECT_EQ(inventory::JsonString(L"^\t"), L"\"^\\t\"");
  EXPECT_EQ(inventory::JsonString(Units({0x78, 0xD800, 0x79, 0xDC00})), L"\"x\\ud800y\\udc00\"");
  EXPECT_EQ(inventory::JsonString(Units({0xD83D, 0xDE00})), L"\"" + Units({0xD83D, 0xDE00}) + L"\"");  // a pair as it is
  // Any name back exactly, by an independent reader: InventoryTextFuzz;
  // whole rows and records of hostile names:
  // Qmscan.HostileNamesAreShownSafelyInCsvAndExactlyInJson.
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
