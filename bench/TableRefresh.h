#pragma once
// The refresh of all five add-on tables in a real table host window.
#include <optional>

namespace bench {

// Milliseconds for one refresh of the five tables, or nothing while the
// tables do not exist. To add the figure once they do: create the table
// host window here (hidden is fine) with its five tables, call RefreshList
// on each and return the elapsed time; link the table library in
// bench/CMakeLists.txt. The driver prints and stores whatever this returns
// as "table_refresh_ms", with its growth exponent, and nothing else needs
// to change.
std::optional<double> TimeTableRefresh();

}  // namespace bench
