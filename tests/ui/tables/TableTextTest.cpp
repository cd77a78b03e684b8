#include <gtest/gtest.h>

#include "ui/tables/TableText.h"

using namespace tables;

TEST(UiTablesText, ToolbarNamesGetTheWordOnlyWhenTheyLackIt) {
  const std::wstring suffix = L" toolbar";
  EXPECT_EQ(ToolbarObjectName(L"Search Toolbar", suffix), L"Search Toolbar");
  EXPECT_EQ(ToolbarObjectName(L"SEARCH TOOLBAR", suffix), L"SEARCH TOOLBAR");
  EXPECT_EQ(ToolbarObjectName(L"mytoolbar", suffix), L"mytoolbar");
  EXPECT_EQ(ToolbarObjectName(L"toolbar", suffix), L"toolbar");
  EXPECT_EQ(ToolbarObjectName(L"Search", suffix), L"Search toolbar");
  // A numbered name ends in its number, so it gets the word after it.
  EXPECT_EQ(ToolbarObjectName(L"Search Toolbar (2)", suffix), L"Search Toolbar (2) toolbar");
  EXPECT_EQ(ToolbarObjectName(L"Toolbars", suffix), L"Toolbars toolbar");
  EXPECT_EQ(ToolbarObjectName(L"", suffix), L" toolbar");
}

TEST(UiTablesText, ButtonNamesFollowWhichTextsThereAre) {
  const ButtonNameTexts texts{L" toolbar button", L" menu", L" toolbar button and related menu",
                              L"%1 toolbar button and %2 menu"};
  EXPECT_EQ(ButtonObjectName(L"Mail", L"", texts), L"Mail toolbar button");
  EXPECT_EQ(ButtonObjectName(L"", L"Tools Entry", texts), L"Tools Entry menu");
  EXPECT_EQ(ButtonObjectName(L"Mail", L"Mail", texts), L"Mail toolbar button and related menu");
  // Texts differing only in case are different texts.
  EXPECT_EQ(ButtonObjectName(L"Mail", L"mail", texts), L"Mail toolbar button and mail menu");
  EXPECT_EQ(ButtonObjectName(L"", L"", texts), L"menu");
  // One pass halves each pair of spaces: two become one, three become two.
  EXPECT_EQ(ButtonObjectName(L"Send  Mail", L"", texts), L"Send Mail toolbar button");
  EXPECT_EQ(ButtonObjectName(L"Send   Mail", L"", texts), L"Send  Mail toolbar button");
  EXPECT_EQ(ButtonObjectName(L"  Mail ", L"", texts), L"Mail toolbar button");
}

TEST(UiTablesText, ColumnsShareTheListLessTheMargin) {
  // 400 px at 96 DPI are 6000 twips; the margin is 20 twips.
  EXPECT_EQ(ColumnWidths(400, 96, 1), std::vector<int>{399});
  EXPECT_EQ(ColumnWidths(400, 96, 2), (std::vector<int>{199, 199}));
  // 401 px: 6015 twips, 5995 halved with the remainder dropped.
  EXPECT_EQ(ColumnWidths(401, 96, 2), (std::vector<int>{200, 200}));
  // The same inch at a higher DPI has more pixels.
  EXPECT_EQ(ColumnWidths(600, 144, 1), std::vector<int>{598});
  EXPECT_EQ(ColumnWidths(600, 144, 2), (std::vector<int>{299, 299}));
  // Nothing below zero for a list with no width.
  EXPECT_EQ(ColumnWidths(0, 96, 2), (std::vector<int>{0, 0}));
  EXPECT_EQ(ColumnWidths(-5, 96, 1), std::vector<int>{0});
}
