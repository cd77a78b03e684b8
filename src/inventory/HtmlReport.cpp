#include "inventory/HtmlReport.h"

#include <algorithm>

#include "engine/text/VisibleText.h"

namespace inventory {

namespace {

// Plain and printable: borders on every cell, headers repeated on each
// printed page, rows never split across pages.
constexpr const wchar_t* kStyle =
    L"body{font-family:Segoe UI,Tahoma,Arial,sans-serif;font-size:10pt;margin:1.5em;color:#000;background:#fff}\r\n"
    L"h1{font-size:16pt;margin:0 0 .3em 0}\r\n"
    L"p.about{margin:0 0 1.5em 0;color:#333}\r\n"
    L"table{border-collapse:collapse;width:100%;margin:0 0 2em 0}\r\n"
    L"caption{text-align:left;font-weight:bold;font-size:12pt;padding:.3em 0}\r\n"
    L"th,td{border:1px solid #999;padding:.2em .4em;text-align:left;vertical-align:top;word-break:break-word}\r\n"
    L"th{background:#e8e8e8}\r\n"
    L"td.empty{font-style:italic;color:#555}\r\n"
    L"@media print{body{margin:0;font-size:8pt}table{page-break-inside:auto}"
    L"tr{page-break-inside:avoid}thead{display:table-header-group}th{background:#ddd}}\r\n";

void AppendRow(std::wstring& out, const wchar_t* cellTag, const std::vector<std::wstring>& cells, std::size_t width) {
  const std::wstring open = std::wstring(L"<") + cellTag + L">", close = std::wstring(L"</") + cellTag + L">";
  out += L"<tr>";
  for (std::size_t i = 0; i < std::max(width, cells.size()); ++i)
    out += open + (i < cells.size() ? HtmlText(cells[i]) : std::wstring()) + close;
  out += L"</tr>\r\n";
}

void AppendTable(std::wstring& out, const ReportTable& table) {
  out += L"<table>\r\n<caption>" + HtmlText(table.caption) + L"</caption>\r\n";
  out += L"<thead>";
  AppendRow(out, L"th", table.columns, table.columns.size());
  out += L"</thead>\r\n<tbody>\r\n";
  if (table.rows.empty()) {
    const std::size_t span = std::max<std::size_t>(1, table.columns.size());
    out += L"<tr><td class=\"empty\" colspan=\"" + std::to_wstring(span) + L"\">" + HtmlText(kNoEntriesText) +
           L"</td></tr>\r\n";
  }
  for (const auto& row : table.rows) AppendRow(out, L"td", row, table.columns.size());
  out += L"</tbody>\r\n</table>\r\n";
}

}  // namespace

std::wstring HtmlText(const std::wstring& text) {
  const std::wstring visible = discovery::text::VisibleText(text);
  std::wstring out;
  out.reserve(visible.size() + 16);
  for (const wchar_t ch : visible) {
    switch (ch) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      case L'\'': out += L"&#39;"; break;
      default: out.push_back(ch); break;
    }
  }
  return out;
}

std::wstring HtmlReport(const std::wstring& title, const std::wstring& machine, const std::wstring& date,
                        const std::wstring& programVersion, const std::vector<ReportTable>& tables) {
  std::wstring out =
      L"<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
      L"<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\r\n";
  out += L"<title>" + HtmlText(title) + L"</title>\r\n<style>\r\n" + kStyle + L"</style>\r\n</head>\r\n<body>\r\n";
  out += L"<h1>" + HtmlText(title) + L"</h1>\r\n";
  out += L"<p class=\"about\">Computer: " + HtmlText(machine) + L"<br>\r\nDate: " + HtmlText(date) +
         L"<br>\r\nProgram version: " + HtmlText(programVersion) + L"</p>\r\n";
  for (const auto& table : tables) AppendTable(out, table);
  return out + L"</body>\r\n</html>\r\n";
}

}  // namespace inventory
