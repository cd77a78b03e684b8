#pragma once
// The refresh of all the add-on tables in a real table host window.
#include <cstddef>
#include <optional>

#include "core/DataFolder.h"

namespace bench {

// Milliseconds for one refresh of all the tables: a table host (the
// window of the "Table" pane, with its tables and a details pane) in a
// shown top-level window the size of the main window's client area is made
// and filled once, as at program start; then RefreshTables is timed until it
// returns and the window has painted. The file checker is warm for the timed
// refresh, as for a refresh the user asks for. Nothing when the window could
// not be made.
struct ListTimes {
  double refresh = 0;    // RefreshTables until painted
  double discovery = 0;  // every kind's listing alone, just before, same resolver
  double fill = 0;       // every list filled again from its records, painted (no listing)
  double sort = 0;       // a header click on the largest table's name column, painted
  double filter = 0;     // one keystroke's filter over every table, painted
  double inventory = 0;  // saving this listing and comparing it with the last start's
  std::size_t records = 0;  // listed by the refreshed tables
};
// data: where the inventories go (an earlier one is written first, so the
// comparison has one to read).
std::optional<ListTimes> TimeTableRefresh(const core::DataFolder& data);

}  // namespace bench
