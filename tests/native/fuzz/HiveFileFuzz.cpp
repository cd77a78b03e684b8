// Any bytes as a hive and its log: opening never crashes, hangs or
// allocates by a declared size; for a hive that opens, a walk of every key
// reaches each key cell once (so it ends), no value read gives more than it
// was asked for, and the hive read by ranges through the reader's cache
// reads the same as from memory. The input: a control byte (bit 0: the base
// block's checksum made right; bit 1: its sequence numbers made equal;
// bit 2: the log's checksum and hashes made right; the rest: the largest
// value read), the first 512 bytes of the base block, then sectors of the
// hive bins data, each a sector number byte and its 512 bytes (the rest of
// the data zeros); after "LOG1", the bytes of a log.
#include <algorithm>
#include <set>
#include <string>

#include "HiveTestFiles.h"
#include "engine/sources/HiveRegistry.h"
#include "fuzz/FuzzInput.h"

using qlmfuzz::Check;
using qlmtest::Bytes;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::string marker = "LOG1";
  const std::uint8_t* split = std::search(data + 1, data + size, marker.begin(), marker.end());
  Bytes hive(4096, 0);
  const std::uint8_t* at = data + 1;
  const std::size_t head = std::min<std::size_t>(512, static_cast<std::size_t>(split - at));
  std::copy(at, at + head, hive.begin());
  for (at += head; at < split;) {
    const std::size_t offset = 4096 + std::size_t{*at++} * 512;
    const std::size_t length = std::min<std::size_t>(512, static_cast<std::size_t>(split - at));
    hive.resize(std::max(hive.size(), offset + 512));
    std::copy(at, at + length, hive.begin() + static_cast<std::ptrdiff_t>(offset));
    at += length;
  }
  hive.resize((hive.size() + 4095) / 4096 * 4096);
  if (control & 2) qlmtest::Put32(hive, 8, qlmtest::Get32(hive, 4));
  if (control & 1) qlmtest::SealBase(hive);
  const bool hasLog = split != data + size;
  Bytes log(hasLog ? split + marker.size() : data + size, data + size);
  log.resize(std::max<std::size_t>(log.size(), 512));
  if (control & 4) qlmtest::SealLog(log);
  auto opened = engine::HiveFile::Open(std::make_unique<engine::MemoryHiveBytes>(hive),
                                       hasLog ? std::make_unique<engine::MemoryHiveBytes>(log) : nullptr);
  // The same read by ranges through the reader's cache reads the same.
  auto ranged = engine::HiveFile::Open(qlmtest::AsFile(hive), hasLog ? qlmtest::AsFile(log) : nullptr);
  Check(opened.refusal == ranged.refusal);
  if (!opened.hive) return 0;
  engine::HiveFile &h = *opened.hive, &r = *ranged.hive;
  const std::size_t maxBytes = control >> 3;
  std::vector<engine::HiveKey> keys = {*h.Key(h.RootCell())};
  std::set<std::uint32_t> reached;
  while (!keys.empty()) {
    const auto key = keys.back();
    keys.pop_back();
    const auto values = h.Values(key);
    const auto subkeys = h.SubKeys(key);
    Check(reached.insert(key.cell).second && h.ClassName(key) == r.ClassName(key) && values == r.Values(key) &&
          subkeys == r.SubKeys(key));
    for (const auto& value : values) {
      const auto read = h.Data(value, maxBytes), other = r.Data(value, maxBytes);
      Check(read.has_value() == other.has_value() && (!read || read->bytes == other->bytes));
      Check(!read || (read->tooLarge ? read->bytes.empty() && read->size > maxBytes
                                     : read->bytes.size() == read->size && read->size <= maxBytes));
    }
    keys.insert(keys.end(), subkeys.begin(), subkeys.end());
  }
  // The source over it finds each top key it lists.
  engine::HiveRegistry registry;
  registry.Mount(engine::Tree::Users, L"S", std::move(opened.hive));
  for (const auto& name : registry.SubKeyNames(engine::Tree::Users, L"S"))
    if (!name.empty() && name.find(L'\\') == std::wstring::npos)
      Check(registry.KeyExists(engine::Tree::Users, L"S\\" + name));
  return 0;
}
