#pragma once
// What a remembered window place must be to be used again. The values come
// from the user's own registry key, which every program the user runs can
// write: each must be there and within reason, or the window takes its
// first size. Platform-free, so it builds and runs anywhere.
#include <cstdint>
#include <optional>

namespace windowplace {

// As read: a value is missing unless it is a REG_DWORD of four bytes.
struct StoredPlace {
  std::optional<std::uint32_t> left, top, width, height, maximized, treeWidth, detailsHeight;
};

struct Place {
  // The window when neither maximised nor minimised, in screen pixels.
  int left = 0, top = 0, width = 0, height = 0;
  bool maximized = false;
  // The tree's width and the details pane's height, at 96 DPI.
  int treeWidth = 0, detailsHeight = 0;
};

// The limits: a corner within the range of screen coordinates (and not
// where minimised windows go), a window no larger than a window can be,
// panes from a sliver to a wall of screens.
inline constexpr int kFarthestCorner = 30000;
inline constexpr int kLargestWindow = 32767;
inline constexpr int kSmallestPane = 20;
inline constexpr int kLargestPane = 4000;

// The place when every value is there and within the limits, the window
// at least minWidth x minHeight; none otherwise.
std::optional<Place> CheckStoredPlace(const StoredPlace& stored, int minWidth, int minHeight);

// The values to store for a place (the inverse of CheckStoredPlace).
StoredPlace ToStored(const Place& place);

}  // namespace windowplace
