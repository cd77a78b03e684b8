#include "ui/main/WindowPlace.h"

#include <windows.h>

#include <cstdint>
#include <utility>

#include "ozcore/CRegistry.h"

namespace windowplace {
namespace {

// Each stored value's name and its field.
using Field = std::optional<std::uint32_t> StoredPlace::*;
const std::pair<const wchar_t*, Field> kValues[] = {
    {L"WindowLeft", &StoredPlace::left},           {L"WindowTop", &StoredPlace::top},
    {L"WindowWidth", &StoredPlace::width},         {L"WindowHeight", &StoredPlace::height},
    {L"WindowMaximized", &StoredPlace::maximized}, {L"TreeWidth", &StoredPlace::treeWidth},
    {L"DetailsHeight", &StoredPlace::detailsHeight}};

}  // namespace

std::optional<Place> Recall(const std::wstring& key, int minWidth, int minHeight) {
  CRegistry registry;
  // Values read through a link planted in the user's own key can only move
  // the window: each is checked for reason and the place must lie on a
  // screen. Writes go through the link-refusing calls.
  if (key.empty()) return std::nullopt;
  StoredPlace stored;
  for (const auto& [name, field] : kValues) {
    std::uint32_t value = 0;
    if (registry.ReadDWORD(HKEY_CURRENT_USER, key, name, value)) stored.*field = value;
  }
  const std::optional<Place> place = CheckStoredPlace(stored, minWidth, minHeight);
  if (!place) return std::nullopt;
  // A screen taken away since leaves the place on none.
  const RECT window{place->left, place->top, place->left + place->width, place->top + place->height};
  if (!MonitorFromRect(&window, MONITOR_DEFAULTTONULL)) return std::nullopt;
  return place;
}

bool Remember(const std::wstring& key, const Place& place) {
  if (key.empty()) return false;
  CRegistry registry;
  const StoredPlace stored = ToStored(place);
  bool written = true;
  for (const auto& [name, field] : kValues)
    written = registry.WriteDWORD(HKEY_CURRENT_USER, key, name, (stored.*field).value_or(0)) && written;
  return written;
}

}  // namespace windowplace
