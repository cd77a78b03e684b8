#include "ui/tables/ColumnFit.h"

#include <algorithm>

namespace tables {
namespace {

// Takes up to `excess` pixels from the shared columns of one kind (those
// that give way last, or the others), each in proportion to what it has
// above its caption. Returns what could not be taken.
long long GiveWay(const std::vector<ColumnNeed>& columns, std::vector<int>& widths, bool last, long long excess) {
  long long slack = 0;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (!columns[i].name && columns[i].givesWayLast == last) slack += widths[i] - columns[i].caption;
  if (excess <= 0 || slack <= 0) return excess;
  const long long taken = std::min(excess, slack);
  long long left = taken;
  for (std::size_t i = 0; i < columns.size() && left > 0; ++i) {
    if (columns[i].name || columns[i].givesWayLast != last) continue;
    const long long room = widths[i] - columns[i].caption;
    // Rounded up, so the share handed out covers what was asked.
    const long long share = std::min({room, left, (taken * room + slack - 1) / slack});
    widths[i] -= static_cast<int>(share);
    left -= share;
  }
  return excess - (taken - left);
}

}  // namespace

std::vector<int> FitColumns(int listWidth, const std::vector<ColumnNeed>& columns, int nameMinimum,
                            const NameRule& nameRule) {
  std::vector<int> widths(columns.size(), 0);
  long long shared = 0;
  int names = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnNeed& need = columns[i];
    if (need.name) {
      ++names;
      continue;
    }
    widths[i] = std::max({need.caption, std::min(need.widest, need.limit), 0});
    shared += widths[i];
  }
  const long long excess = shared - (static_cast<long long>(listWidth) - static_cast<long long>(names) * nameMinimum);
  GiveWay(columns, widths, true, GiveWay(columns, widths, false, excess));
  if (names == 0) return widths;
  shared = 0;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (!columns[i].name) shared += widths[i];
  std::vector<int> nameWidths =
      nameRule ? nameRule(static_cast<int>(std::max(0LL, listWidth - shared)), names) : std::vector<int>{};
  nameWidths.resize(static_cast<std::size_t>(names), 0);
  std::size_t next = 0;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name) widths[i] = std::max(nameWidths[next++], nameMinimum);
  return widths;
}

}  // namespace tables
