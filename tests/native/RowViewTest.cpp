// The rows a table shows: sorting, filtering, and where a record's row is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/main/ListText.h"
#include "ui/tables/RowView.h"

using tables::RowView;

namespace {

std::vector<std::wstring> FirstCells(const RowView& view) {
  std::vector<std::wstring> cells;
  for (std::size_t record : view.Rows()) cells.push_back(view.Cell(record, 0));
  return cells;
}

RowView Sample() {
  // name, publisher, version; the search text is the name and publisher.
  std::vector<std::vector<std::wstring>> cells = {{L"beta", L"Acme", L"10.0"},   {L"Alpha", L"Zed", L"9.1"},
                                                  {L"gamma", L"acme", L"9.10"},  {L"alpha", L"Other", L"9.1"},
                                                  {L"Delta", L"", L"1.0.0.2"}};
  std::vector<std::wstring> search;
  for (const auto& row : cells) search.push_back(row[0] + L"\n" + row[1]);
  RowView view;
  view.Reset(cells, search);
  return view;
}

}  // namespace

TEST(RowView, SortsStablyByAnyColumnEitherWayAndBackToDiscoveryOrder) {
  RowView view = Sample();
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"beta", L"Alpha", L"gamma", L"alpha", L"Delta"}));

  // Letter case does not count; equal names keep the discovery order, both
  // ways.
  view.SortBy(0, true);
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"Alpha", L"alpha", L"beta", L"Delta", L"gamma"}));
  view.SortBy(0, false);
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"gamma", L"Delta", L"beta", L"Alpha", L"alpha"}));

  // Numbers by value: 1.0.0.2 < 9.1 = 9.1 < 9.10 < 10.0.
  view.SortBy(2, true);
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"Delta", L"Alpha", L"alpha", L"gamma", L"beta"}));
  EXPECT_LT(tables::CompareCells(L"v9", L"v10"), 0);
  EXPECT_EQ(tables::CompareCells(L"007", L"7"), 0);
  EXPECT_GT(tables::CompareCells(L"abc", L"ab"), 0);

  // Each record's row follows the order.
  for (std::size_t row = 0; row < view.Rows().size(); ++row)
    EXPECT_EQ(view.RowOf(view.Rows()[row]), static_cast<int>(row));

  view.SortBy(-1, true);
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"beta", L"Alpha", L"gamma", L"alpha", L"Delta"}));
}

TEST(RowView, FilterKeepsRecordsHoldingEveryWordAndSurvivesNewRecordsAndSorting) {
  RowView view = Sample();
  view.SetFilter(L"  ACME  ");
  EXPECT_TRUE(view.Filtered());
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"beta", L"gamma"}));
  EXPECT_EQ(view.RowOf(1), -1);  // hidden

  // Every word must match, in any field of the search text, but no word
  // across two fields.
  view.SetFilter(L"alp oth");
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"alpha"}));
  view.SetFilter(L"alpha\nzed");
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"Alpha"}));
  view.SetFilter(L"haz");  // "alpha" + "Zed" would make it across the break
  EXPECT_TRUE(view.Rows().empty());

  // The filter and the sort stay when the records change.
  view.SetFilter(L"a");
  view.SortBy(0, false);
  view.Reset({{L"x"}, {L"Ab"}, {L"aa"}}, {L"x", L"Ab", L"aa"});
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"Ab", L"aa"}));
  view.SetFilter(L"");
  EXPECT_FALSE(view.Filtered());
  EXPECT_EQ(FirstCells(view), (std::vector<std::wstring>{L"x", L"Ab", L"aa"}));

  // Fewer search texts than records, or cells than columns: empty, never
  // out of bounds.
  view.Reset({{L"one"}, {}}, {L"one"});
  EXPECT_EQ(view.Cell(1, 0), L"");
  EXPECT_EQ(view.Cell(5, 5), L"");
  view.SetFilter(L"one");
  EXPECT_EQ(view.Rows(), (std::vector<std::size_t>{0}));
}

TEST(ListText, RegistryEditorKeysAndSuggestedNames) {
  using listtext::RegistryEditorKey;
  EXPECT_EQ(RegistryEditorKey(L"HKEY_LOCAL_MACHINE", L"Software\\Microsoft\\Internet Explorer\\Toolbar", false),
            L"Computer\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Toolbar");
  EXPECT_EQ(RegistryEditorKey(L"HKEY_LOCAL_MACHINE", L"SOFTWARE\\Microsoft\\Windows", true),
            L"Computer\\HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows");
  EXPECT_EQ(RegistryEditorKey(L"HKEY_LOCAL_MACHINE", L"Software\\Classes\\CLSID\\{x}", true),
            L"Computer\\HKEY_LOCAL_MACHINE\\Software\\Classes\\WOW6432Node\\CLSID\\{x}");
  // Nothing to redirect outside the machine's Software key.
  EXPECT_EQ(RegistryEditorKey(L"HKEY_USERS", L"S-1-5-18\\Software\\x", true), L"Computer\\HKEY_USERS\\S-1-5-18\\Software\\x");
  EXPECT_EQ(RegistryEditorKey(L"HKEY_LOCAL_MACHINE", L"SoftwareX\\y", true), L"Computer\\HKEY_LOCAL_MACHINE\\SoftwareX\\y");
  EXPECT_EQ(listtext::SuggestedListName(L"Quillmoor add-ons %1", 2026, 3, 7), L"Quillmoor add-ons 2026-03-07");
}
