#pragma once
// The columns every kind's list shows after its own name column(s): their
// captions, the record value each shows, and which of them the filter
// searches. The header and the rows read the same table, so they cannot
// drift apart.
#include <string>
#include <vector>

class CResultNode;

namespace tables {

struct SharedColumn {
  unsigned caption;  // string id
  bool searched;     // the filter looks in it (publisher, file, users)
  // The record's text for it (not yet in visible form).
  std::wstring (*cell)(const CResultNode& record);
  // At 96 DPI: the column grows with its widest text up to this.
  int widthLimit = 160;
  bool path = false;  // shortened in the middle, keeping the file name
  // The publisher and the file tell add-ons apart: where the list is too
  // narrow, they give way after the others.
  bool givesWayLast = false;
};

// In column order; Architecture only where the registry has two views.
const std::vector<SharedColumn>& SharedColumns();

}  // namespace tables
