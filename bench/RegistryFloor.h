#pragma once
// The floor of discovery: the registry reads that listing all the kinds
// needs, made by a minimal loop of bare enumeration, open and query calls
// with fixed buffers, building nothing. Discovery can only be slower; how
// much slower is what the program adds on top of the registry itself.
#include <cstddef>

namespace bench {

struct FloorResult {
  std::size_t entries = 0;  // entries found, all kinds together
  std::size_t bytes = 0;    // value bytes read (keeps the reads observable)
};

// Kinds to read, in table order; all by default.
enum : unsigned {
  kFloorToolbars = 1,
  kFloorButtons = 2,
  kFloorMenuExts = 4,
  kFloorExplorerBars = 8,
  kFloorBhos = 16,
  kFloorUrlSearchHooks = 32,
  kFloorActiveX = 64,
  kFloorProtocols = 128,
  kFloorSearchProviders = 256,
  kFloorAll = 511
};
// The kinds the floor reads, as many as the table of kinds has.
constexpr int kFloorKinds = 9;
FloorResult ReadLikeDiscovery(unsigned kinds = kFloorAll);

}  // namespace bench
