#pragma once
// A printable report of the add-ons as one self-contained HTML page: inline
// style sheet (with print rules), UTF-8, no script and no reference to
// anything outside the page. Platform-free.
//
// Every text is data and is escaped ("&", "<", ">", '"' and "'" as
// entities), after control and invisible characters are put in visible form
// (discovery::text::VisibleText), so a hostile name can neither add markup
// nor hide or reorder what the page shows.
#include <string>
#include <vector>

namespace inventory {

struct ReportTable {
  std::wstring caption;
  std::vector<std::wstring> columns;
  // Each row's cells in column order; a short row is padded with empty
  // cells, a long row keeps its extra cells.
  std::vector<std::vector<std::wstring>> rows;
};

// The text of an empty table's one row (a cell spanning all columns).
inline constexpr const wchar_t* kNoEntriesText = L"No entries.";

// The page: title as <title> and heading, then machine, date and program
// version, then one <table> per table with its caption, header row and
// rows. Lines end with CR LF; write it as UTF-8.
std::wstring HtmlReport(const std::wstring& title, const std::wstring& machine, const std::wstring& date,
                        const std::wstring& programVersion, const std::vector<ReportTable>& tables);

// Text as HTML character data or attribute value: the visible form, then
// the five markup characters as entities.
std::wstring HtmlText(const std::wstring& text);

}  // namespace inventory
