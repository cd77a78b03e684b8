#pragma once
// How wide the columns of an add-on list are. The columns every kind
// shares want their widest text, up to a limit of their own, and are never
// narrower than their caption; the name columns share what is left by the
// name rule, never below a readable width. Where the list is too narrow for
// all that, the shared columns give way towards their captions, those that
// tell add-ons apart (publisher, file) last; narrower still, it scrolls
// sideways. Platform-free (the caller measures), so it builds and runs
// anywhere.
#include <functional>
#include <vector>

namespace tables {

struct ColumnNeed {
  bool name = false;
  int caption = 0;  // the caption's width, its margins and sort arrow included
  int widest = 0;   // the widest text's, margins included
  int limit = 0;    // a shared column grows with its text up to this
  bool givesWayLast = false;
};

// nameRule(width, count): how count name columns share width.
using NameRule = std::function<std::vector<int>(int width, int count)>;

// One width per column, in the order given.
std::vector<int> FitColumns(int listWidth, const std::vector<ColumnNeed>& columns, int nameMinimum,
                            const NameRule& nameRule);

}  // namespace tables
