#pragma once
// Shared by the table and pane tests: an empty registry, the one window
// the tables live in, and a table of one kind in it over a details pane.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/files/FileResolver.h"
#include "ui/tables/ListedSystem.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

class TableControlBase;
class DetailsPane;

namespace tabletest {

using qlmtest::KeysHeld;
using qlmtest::Pump;
inline const std::wstring kCompany = L"Fixture Makers Ltd";
// A fixture file with a maker (kCompany) and versions.
std::wstring CompanyFile();

// A right click on a row's text (below the rows for -1), pressed and
// released.
void RightClick(HWND list, int row);

// The one top-level window of the test program (closing top-level windows
// is slow under the test display); it owns the program's messages.
HWND SharedHost();

// A table of one kind over a details pane; its row menu goes to a seam.
class TableRig {
 public:
  explicit TableRig(std::int32_t id, int tableHeight = 300);
  ~TableRig();
  TableControlBase& table() { return *table_; }
  DetailsPane& details() { return *details_; }
  HWND list() const;
  int Rows() const;
  std::wstring Text(int row, int column = 0) const;
  // The row of the record with that ID (and that view), or -1.
  int RowOf(const std::wstring& recordId, std::int32_t view = 64) const;
  std::vector<int> SelectedRows() const;
  void Select(int row);  // as the user would
  std::vector<std::wstring> Details();  // "name=value"
  std::vector<bool> menus;              // per menu shown: from the keyboard?
  std::vector<POINT> menuPoints;

 private:
  // The rig's listings share one resolver, as the program's do.
  FileResolver files_{true};
  ListedSystem system_{files_};
  std::unique_ptr<DetailsPane> details_;
  std::unique_ptr<TableControlBase> table_;
};

}  // namespace tabletest
