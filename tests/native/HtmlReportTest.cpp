#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../qmscan/ParseBack.h"
#include "discovery/VisibleText.h"
#include "inventory/HtmlReport.h"

namespace {

using inventory::ReportTable;

TEST(NativeHtmlReport, HostileTextStaysInertAndReadsBack) {
  const std::wstring attack = L"</td><script>alert(1)</script><img src=x onerror=\"alert('x')\">&amp;";
  const std::wstring hidden = std::wstring(L"a\0b\r\n", 5) + L"\u202Etxt.exe\x1b[2J";
  const std::vector<ReportTable> tables = {
      {L"Toolbars </caption><table>", {L"Name", L"File <b>", L"Maker"}, {{attack, hidden, L"O'Brien & \"Sons\""}, {L"short"}}},
      {L"Buttons", {L"Name"}, {}},
      {L"Wide", {L"A"}, {{L"1", L"2"}}}};
  const std::wstring html = inventory::HtmlReport(L"<Add-ons>", L"PC</p><script>", L"2026-12-07", L"1.0 & up", tables);

  EXPECT_EQ(html.find(L"<script"), std::wstring::npos);
  EXPECT_EQ(html.find(L"<img"), std::wstring::npos);
  EXPECT_EQ(html.find(L"onerror=\""), std::wstring::npos);
  EXPECT_EQ(html.find(L"://"), std::wstring::npos);  // nothing fetched from anywhere
  EXPECT_EQ(html.find(L"url("), std::wstring::npos);
  EXPECT_NE(html.find(L"<meta charset=\"utf-8\">"), std::wstring::npos);
  EXPECT_NE(html.find(L"@media print"), std::wstring::npos);
  EXPECT_NE(html.find(L"<title>&lt;Add-ons&gt;</title>"), std::wstring::npos);
  EXPECT_NE(html.find(L"PC&lt;/p&gt;&lt;script&gt;"), std::wstring::npos);
  // No raw control or invisible character anywhere but line ends.
  std::wstring withoutBreaks;
  for (wchar_t ch : html)
    if (ch != L'\r' && ch != L'\n') withoutBreaks.push_back(ch);
  EXPECT_FALSE(qlmtest::HoldsUnsafeCharacter(withoutBreaks));

  std::vector<qlmtest::HtmlTable> back;
  ASSERT_TRUE(qlmtest::ParseHtmlReport(html, back));
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0].first, L"Toolbars </caption><table>");
  ASSERT_EQ(back[0].second.size(), 3u);
  EXPECT_EQ(back[0].second[0], (std::vector<std::wstring>{L"Name", L"File <b>", L"Maker"}));
  EXPECT_EQ(back[0].second[1][0], attack);
  EXPECT_EQ(discovery::text::FromVisibleText(back[0].second[1][1]), std::optional<std::wstring>(hidden));
  EXPECT_EQ(back[0].second[1][2], L"O'Brien & \"Sons\"");
  EXPECT_EQ(back[0].second[2], (std::vector<std::wstring>{L"short", L"", L""}));  // padded to the columns
  // An empty table says so in its one row.
  EXPECT_EQ(back[1].second, (std::vector<std::vector<std::wstring>>{{L"Name"}, {inventory::kNoEntriesText}}));
  EXPECT_EQ(back[2].second[1], (std::vector<std::wstring>{L"1", L"2"}));  // no cell lost

  EXPECT_EQ(inventory::HtmlText(L"'\"<>&^"), L"&#39;&quot;&lt;&gt;&amp;^^");
}

}  // namespace
