#pragma once
// The list face of an add-on table: a report-style list view that holds no
// rows of its own (the control asks for each text as it paints), over the
// table's records as a RowView. It shows the name column(s) and the
// columns every kind shares, sorts by a click on a header (again: the
// other way), filters, shows new records in bold, greys the text of add-ons
// that do not run, and shows a placeholder row
// when there is nothing to show. The header's context menu shows and hides
// the shared columns. The owning table forwards the list's notifications.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/tables/RowView.h"
#include "ui/widgets/GdiHandles.h"

class AddonList {
 public:
  struct Column {
    std::wstring caption;
    bool name = false;    // a name column: always shown, laid out by the name rule
    int widthLimit = 0;   // others, at 96 DPI: they grow with their widest text up to this
    bool path = false;    // shortened in the middle when drawn, keeping the file name
    bool givesWayLast = false;  // see tables::ColumnNeed
  };

  AddonList() = default;
  AddonList(const AddonList&) = delete;
  AddonList& operator=(const AddonList&) = delete;

  // Creates the list as a child of parent; accessibleName is its window
  // text.
  bool Create(HWND parent, int controlId, const std::wstring& accessibleName);
  HWND Hwnd() const { return list_; }

  // Once: the columns, name columns first. All are shown.
  void SetColumns(std::vector<Column> columns);
  std::size_t ColumnCount() const { return columns_.size(); }
  bool ColumnShown(std::size_t column) const;
  const std::wstring& Caption(std::size_t column) const { return columns_.at(column).caption; }
  void ShowColumn(std::size_t column, bool shown);

  // The records' cells (one per column, as shown), the text the filter
  // searches in, and which are new. The filter and the sort stay.
  void SetRecords(std::vector<std::vector<std::wstring>> cells, const std::vector<std::wstring>& searchText,
                  std::vector<bool> isNew);
  // Which records do not run (off or blocked): their rows' text is greyed.
  void SetInactive(std::vector<bool> inactive);
  bool Inactive(std::size_t record) const { return record < inactive_.size() && inactive_[record]; }
  // The one row shown when there are no records, and the one shown when
  // the filter hides them all.
  void SetPlaceholders(std::vector<std::wstring> noRecords, std::wstring noMatch);
  // While the listing itself failed the list shows no row at all: the
  // placeholder would claim there is nothing installed.
  void SetListingFailed(bool failed);

  void SetFilter(const std::wstring& text);
  bool Filtered() const { return view_.Filtered(); }
  // As a click on the column's header: by that column, ascending, or the
  // other way when it already sorts by it.
  void SortByColumn(std::size_t column);
  int SortColumn() const { return view_.SortColumn(); }
  bool SortAscending() const { return view_.Ascending(); }

  std::size_t RecordCount() const { return view_.RecordCount(); }
  std::size_t ShownCount() const { return view_.Rows().size(); }
  std::size_t NewCount() const;

  // Rows as the control shows them, the placeholder included.
  int RowCount() const;
  bool ShowsPlaceholder() const { return ShownCount() == 0; }
  // The record a row shows; none for the placeholder or a row out of range.
  std::optional<std::size_t> RecordOfRow(int row) const;
  // The row showing a record; -1 when hidden.
  int RowOfRecord(std::size_t record) const { return view_.RowOf(record); }
  const std::wstring& Cell(std::size_t record, std::size_t column) const { return view_.Cell(record, column); }

  int SelectedRow() const;
  // Selects and focuses one row (no row: clears the selection).
  void SelectRow(int row);
  void EnsureVisible(int row);

  // Fits the columns to the list's width at dpi (tables::FitColumns), until
  // the user sizes a column himself; again whenever the records change.
  void LayoutColumns(UINT dpi);

  // A notification from the list or its header; true when handled here,
  // with the answer in result.
  bool HandleNotification(const NMHDR& header, LRESULT& result);
  // A context menu asked for at a screen point: the header's menu when the
  // point is on the header. True when it was.
  bool ShowHeaderMenu(POINT screen);
  // Test seam: when set, chooses from the header's menu in place of the
  // user (returns the chosen item's id, 0 for none).
  std::function<int(HMENU menu, POINT screen)> chooseFromMenu;

 private:
  void RebuildColumns();
  void UpdateSortArrows();
  void SetItemCount();
  // Keeps the selected record selected across a change of the rows.
  template <typename Change>
  void KeepSelection(Change&& change);
  const std::wstring& TextAt(int row, int listColumn) const;
  LRESULT DrawRowLook(NMLVCUSTOMDRAW& draw);
  int FindPrefix(const std::wstring& prefix, int start, bool wrap) const;
  std::size_t ColumnOfListColumn(int listColumn) const;
  // The texts each shared column is sized for: its longest few.
  void NoteLongestTexts();
  HFONT RowFont(int row) const;
  // A path cell as drawn: shortened in the middle to its column's width.
  std::wstring FitPath(const std::wstring& text, int row, int listColumn) const;

  HWND list_ = nullptr;
  std::vector<Column> columns_;
  std::vector<bool> shown_;
  std::vector<std::size_t> listColumns_;  // list column -> column
  tables::RowView view_;
  std::vector<bool> isNew_;
  std::vector<bool> inactive_;
  std::vector<std::wstring> noRecords_;
  std::wstring noMatch_;
  bool listingFailed_ = false;
  bool userSized_ = false;
  UINT dpi_ = 0;  // of the last layout
  std::vector<std::vector<std::wstring>> longest_;  // per column
  HDC paintDc_ = nullptr;  // while the list paints
  UniqueFont boldFont_;
  HFONT boldFor_ = nullptr;  // the list font the bold one was made from
};
