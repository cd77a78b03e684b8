#pragma once
// The rows a table shows, as a view over its records: the records in the
// order discovery gave them, sorted by one column on request (ties keep
// the discovery order), and filtered by a search text. The table keeps one
// per list and asks it which record a row shows. No <windows.h>.
#include <cstddef>
#include <string>
#include <vector>

namespace tables {

class RowView {
 public:
  // cells: per record, the texts of its columns as shown. searchText: per
  // record, the text the filter looks in (name, file, publisher, users).
  // Keeps the sort and the filter set before.
  void Reset(std::vector<std::vector<std::wstring>> cells, const std::vector<std::wstring>& searchText);

  std::size_t RecordCount() const { return cells_.size(); }
  const std::wstring& Cell(std::size_t record, std::size_t column) const;

  // Sorts by a column, ascending or not; a negative column restores the
  // discovery order. Texts compare without regard to letter case, runs of
  // digits by their value ("9.1" before "10.0").
  void SortBy(int column, bool ascending);
  int SortColumn() const { return sortColumn_; }
  bool Ascending() const { return ascending_; }

  // Keeps the records whose search text holds every word of text (split at
  // white space), without regard to letter case; an empty text keeps all.
  void SetFilter(const std::wstring& text);
  bool Filtered() const { return !words_.empty(); }

  // The shown rows: row -> record.
  const std::vector<std::size_t>& Rows() const { return rows_; }
  // The row showing a record; -1 when the filter hides it.
  int RowOf(std::size_t record) const;

 private:
  void Rebuild();
  bool Matches(std::size_t record) const;

  std::vector<std::vector<std::wstring>> cells_;
  std::vector<std::wstring> folded_;  // search texts, case folded
  std::vector<std::wstring> words_;   // filter words, case folded
  int sortColumn_ = -1;
  bool ascending_ = true;
  std::vector<std::size_t> rows_;
  std::vector<int> rowOfRecord_;
};

// The order of two cell texts as sorting uses it: negative, zero or
// positive.
int CompareCells(const std::wstring& a, const std::wstring& b);

}  // namespace tables
