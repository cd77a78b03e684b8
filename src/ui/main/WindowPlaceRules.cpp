#include "ui/main/WindowPlaceRules.h"

namespace windowplace {
namespace {

// A stored value read as the signed number it was written from.
std::optional<int> Signed(const std::optional<std::uint32_t>& value, int least, int most) {
  if (!value) return std::nullopt;
  const auto number = static_cast<std::int64_t>(static_cast<std::int32_t>(*value));
  if (number < least || number > most) return std::nullopt;
  return static_cast<int>(number);
}

}  // namespace

std::optional<Place> CheckStoredPlace(const StoredPlace& stored, int minWidth, int minHeight) {
  const auto left = Signed(stored.left, -kFarthestCorner, kFarthestCorner);
  const auto top = Signed(stored.top, -kFarthestCorner, kFarthestCorner);
  const auto width = Signed(stored.width, minWidth, kLargestWindow);
  const auto height = Signed(stored.height, minHeight, kLargestWindow);
  const auto maximized = Signed(stored.maximized, 0, 1);
  const auto tree = Signed(stored.treeWidth, kSmallestPane, kLargestPane);
  const auto details = Signed(stored.detailsHeight, kSmallestPane, kLargestPane);
  if (!left || !top || !width || !height || !maximized || !tree || !details) return std::nullopt;
  return Place{*left, *top, *width, *height, *maximized == 1, *tree, *details};
}

StoredPlace ToStored(const Place& place) {
  auto bits = [](int value) { return static_cast<std::uint32_t>(value); };
  return {bits(place.left),  bits(place.top),       bits(place.width),         bits(place.height),
          bits(place.maximized ? 1 : 0), bits(place.treeWidth), bits(place.detailsHeight)};
}

}  // namespace windowplace
