#include "TableRefresh.h"

namespace bench {

std::optional<double> TimeTableRefresh() {
  // The tables are not built yet: no figure rather than a made-up one.
  return std::nullopt;
}

}  // namespace bench
