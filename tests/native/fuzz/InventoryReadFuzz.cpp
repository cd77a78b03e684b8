// Any bytes as a saved inventory file: reading never crashes or leaks, and
// whatever is accepted is written back by JsonDocument to a text that reads
// again to the same entries and writes again to the same text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"

namespace {

using qlmfuzz::Check;

std::wstring WrittenBack(const std::vector<inventory::InventoryEntry>& entries) {
  std::vector<inventory::KindRecord> records;
  for (const auto& entry : entries) records.push_back({entry.kind, &entry.record});
  return inventory::JsonDocument(records);
}

bool SameEntries(const std::vector<inventory::InventoryEntry>& a, const std::vector<inventory::InventoryEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const CResultNode &x = a[i].record, &y = b[i].record;
    if (a[i].kind != b[i].kind || x.ID != y.ID || x.params.Count() != y.params.Count()) return false;
    for (std::size_t v = 1; v <= x.params.Count(); ++v)
      if (x.params.At(v)->Key() != y.params.At(v)->Key() || !(x.params.At(v)->Values(1) == y.params.At(v)->Values(1)))
        return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = inventory::DecodeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!text) return 0;
  const auto entries = inventory::ReadInventory(*text);
  if (!entries) return 0;
  const std::wstring written = WrittenBack(*entries);
  const auto again = inventory::ReadInventory(written);
  Check(again.has_value());
  Check(SameEntries(*entries, *again));
  Check(WrittenBack(*again) == written);
  return 0;
}
