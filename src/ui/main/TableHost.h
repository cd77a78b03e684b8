#pragma once
// The table host: the child window in the "Table" pane. It owns the
// add-on tables, stacked over its whole client area, and shows one at a time.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DetailsPane;
class ITableControl;
class ListedSystem;
class PopupMenu;
class TableControlBase;

class TableHost {
 public:
  // system: what every table lists from; it must outlive the host.
  explicit TableHost(ListedSystem& system);
  ~TableHost();
  TableHost(const TableHost&) = delete;
  TableHost& operator=(const TableHost&) = delete;

  // Creates the window (and its table controls, one per kind) as a child of parent.
  bool Create(HWND parent);
  HWND Hwnd() const;

  // Once, after the panes exist: keeps the details pane, initialises the
  // tables in the order of the kinds and shows the first.
  void Init(DetailsPane* details, PopupMenu* contextMenu);
  // Shows the table with that identifier (hides all for an unknown one) and
  // brings the details pane in line.
  void ShowTable(std::int32_t id);
  // The table filed under the current identifier; nullptr when none is.
  ITableControl* CurrentTable();
  // Reloads all the tables from one reading of the system, then shows the
  // current one again. Failures are
  // raised for the edge that called ("FMultitable.RefreshTables").
  void RefreshTables();

  // Filters every table at once (see TableControlBase::SetFilter); the
  // filter stays over refreshes.
  void SetFilter(const std::wstring& text);
  const std::wstring& Filter() const;

  // Called after any table's rows changed: a refresh, a deletion, the
  // filter.
  void CallWhenRowsChange(std::function<void()> changed);

  std::int32_t CurrentId() const;
  // The table of the kind with that identifier (made with the window,
  // whether or not Init has run), for tests.
  ITableControl* Table(std::int32_t id);
  // The tables in kind order, with what the window needs beyond commands:
  // counts, the shown records, age marks.
  std::vector<TableControlBase*> Tables();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
