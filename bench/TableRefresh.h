#pragma once
// The refresh of all the add-on tables in a real table host window.
#include <optional>

namespace bench {

// Milliseconds for one refresh of all the tables: a table host (the
// window of the "Table" pane, with its tables and a details pane) in a
// shown top-level window the size of the main window's client area is made
// and filled once, as at program start; then RefreshTables is timed until it
// returns and the window has painted. The file checker is warm for the timed
// refresh, as for a refresh the user asks for. Nothing when the window could
// not be made.
std::optional<double> TimeTableRefresh();

}  // namespace bench
