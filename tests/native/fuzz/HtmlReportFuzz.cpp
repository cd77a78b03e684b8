// Any tables of any texts: the report's tags are exactly those of the same
// report with every text empty (nothing of the data's becomes markup), that
// frame fetches nothing, and the tables read back to the texts in visible
// form.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../../qmscan/ParseBack.h"
#include "FuzzInput.h"
#include "engine/text/VisibleText.h"
#include "inventory/HtmlReport.h"

namespace {

using qlmfuzz::Check;
using inventory::ReportTable;

constexpr wchar_t kAlphabet[] = L"<>&\"'/=;#x a1<!--]]>\0\r\n\x1b\u202e\xd800\xdc00^{}";

std::vector<std::wstring> Tags(const std::wstring& html) {
  std::vector<std::wstring> tags;
  for (std::size_t open = html.find(L'<'); open != std::wstring::npos; open = html.find(L'<', open + 1)) {
    const std::size_t close = html.find(L'>', open);
    tags.push_back(html.substr(open, close == std::wstring::npos ? std::wstring::npos : close - open + 1));
  }
  return tags;
}

std::vector<std::wstring> Blank(const std::vector<std::wstring>& texts) { return std::vector<std::wstring>(texts.size()); }

std::vector<std::wstring> Visible(const std::vector<std::wstring>& texts, std::size_t width) {
  std::vector<std::wstring> out;
  for (const auto& text : texts) out.push_back(discovery::text::VisibleText(text));
  if (out.size() < width) out.resize(width);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qlmfuzz::FuzzInput in(data, size);
  auto text = [&] { return in.Text(12, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet)); };
  const std::wstring title = text(), machine = text(), date = text(), version = text();
  std::vector<ReportTable> tables(in.Byte() % 4), blank;
  for (auto& table : tables) {
    table.caption = text();
    table.columns.resize(in.Byte() % 4);
    for (auto& column : table.columns) column = text();
    table.rows.resize(in.Byte() % 4);
    for (auto& row : table.rows) {
      row.resize(in.Byte() % 5);
      for (auto& cell : row) cell = text();
    }
    ReportTable empty{L"", Blank(table.columns), {}};
    for (const auto& row : table.rows) empty.rows.push_back(Blank(row));
    blank.push_back(empty);
  }

  const std::wstring html = inventory::HtmlReport(title, machine, date, version, tables);
  const std::wstring frame = inventory::HtmlReport(L"", L"", L"", L"", blank);
  Check(Tags(html) == Tags(frame));
  // Self-contained and printable: the frame fetches nothing from anywhere.
  Check(frame.find(L"://") == std::wstring::npos && frame.find(L"url(") == std::wstring::npos);
  Check(frame.find(L"<meta charset=\"utf-8\">") != std::wstring::npos && frame.find(L"@media print") != std::wstring::npos);

  std::vector<qlmtest::HtmlTable> back;
  Check(qlmtest::ParseHtmlReport(html, back));
  Check(back.size() == tables.size());
  for (std::size_t t = 0; t < tables.size(); ++t) {
    const ReportTable& table = tables[t];
    Check(back[t].first == discovery::text::VisibleText(table.caption));
    Check(back[t].second.size() == 1 + std::max<std::size_t>(1, table.rows.size()));
    Check(back[t].second[0] == Visible(table.columns, 0));
    if (table.rows.empty()) Check(back[t].second[1] == std::vector<std::wstring>{inventory::kNoEntriesText});
    for (std::size_t r = 0; r < table.rows.size(); ++r)
      Check(back[t].second[r + 1] == Visible(table.rows[r], table.columns.size()));
  }
  return 0;
}
