#include "inventory/InventoryCompare.h"

#include <algorithm>
#include <numeric>

#include "engine/text/VisibleText.h"

namespace inventory {

namespace {

// The positions of a list in identity order; equal identities keep their
// list order, so the surplus of a run is its last entries.
std::vector<std::size_t> SortedOrder(const std::vector<EntryIdentity>& list) {
  std::vector<std::size_t> order(list.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return list[a] < list[b]; });
  return order;
}

// The end of the run of entries equal to the one at position begin.
std::size_t RunEnd(const std::vector<EntryIdentity>& list, const std::vector<std::size_t>& order, std::size_t begin) {
  std::size_t end = begin + 1;
  while (end < order.size() && list[order[end]] == list[order[begin]]) ++end;
  return end;
}

}  // namespace

InventoryChanges CompareInventories(const std::vector<EntryIdentity>& earlier,
                                    const std::vector<EntryIdentity>& current) {
  const std::vector<std::size_t> before = SortedOrder(earlier), now = SortedOrder(current);
  InventoryChanges changes;
  std::size_t b = 0, n = 0;
  while (b < before.size() || n < now.size()) {
    if (n >= now.size() || (b < before.size() && earlier[before[b]] < current[now[n]])) {
      const std::size_t bEnd = RunEnd(earlier, before, b);
      changes.gone.insert(changes.gone.end(), before.begin() + static_cast<std::ptrdiff_t>(b),
                          before.begin() + static_cast<std::ptrdiff_t>(bEnd));
      b = bEnd;
    } else if (b >= before.size() || current[now[n]] < earlier[before[b]]) {
      const std::size_t nEnd = RunEnd(current, now, n);
      changes.added.insert(changes.added.end(), now.begin() + static_cast<std::ptrdiff_t>(n),
                           now.begin() + static_cast<std::ptrdiff_t>(nEnd));
      n = nEnd;
    } else {
      // The same entry in both: only a difference in count is a change.
      const std::size_t bEnd = RunEnd(earlier, before, b), nEnd = RunEnd(current, now, n);
      const std::size_t common = std::min(bEnd - b, nEnd - n);
      for (std::size_t k = b + common; k < bEnd; ++k) changes.gone.push_back(before[k]);
      for (std::size_t k = n + common; k < nEnd; ++k) changes.added.push_back(now[k]);
      b = bEnd;
      n = nEnd;
    }
  }
  std::sort(changes.added.begin(), changes.added.end());
  std::sort(changes.gone.begin(), changes.gone.end());
  return changes;
}

std::wstring RootName(std::int64_t keyNumber) {
  switch (static_cast<std::uint32_t>(keyNumber)) {
    case 0x80000000u: return L"HKEY_CLASSES_ROOT";
    case 0x80000001u: return L"HKEY_CURRENT_USER";
    case 0x80000002u: return L"HKEY_LOCAL_MACHINE";
    case 0x80000003u: return L"HKEY_USERS";
    case 0x80000005u: return L"HKEY_CURRENT_CONFIG";
    default: break;
  }
  // Numbers are 32-bit in a record; the bits as they are.
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  const auto bits = static_cast<std::uint32_t>(keyNumber);
  std::wstring text = L"root 0x";
  for (int shift = 28; shift >= 0; shift -= 4) text.push_back(kHex[(bits >> shift) & 0xF]);
  return text;
}

std::wstring ChangeLine(ChangeKind change, const EntryIdentity& identity, const std::wstring& displayName) {
  using discovery::text::VisibleText;
  std::wstring location = RootName(identity.key);
  if (!identity.hive.empty()) location += L"\\" + identity.hive;
  location += L"\\" + identity.id;
  std::wstring line = change == ChangeKind::Added ? L"New: " : L"Gone: ";
  line += VisibleText(identity.kind) + L" \"" + VisibleText(displayName) + L"\" (" + VisibleText(location);
  if (identity.view != 0) line += L", " + std::to_wstring(identity.view) + L"-bit";
  return line + L")";
}

}  // namespace inventory
