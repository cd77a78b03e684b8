#pragma once
// Hive files for the tests: files and peer tools, the base block's
// checksum, cells added in new hive bins (for the list and data forms the
// peer writer never writes), and transaction logs of the new format
// written from the published layout.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "engine/sources/HiveLog.h"

namespace qlmtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
// What a command writes to its standard output.
inline std::string Run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

inline std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void Put64(Bytes& b, std::size_t at, std::uint64_t value) {
  Put32(b, at, static_cast<std::uint32_t>(value));
  Put32(b, at + 4, static_cast<std::uint32_t>(value >> 32));
}
inline void SealBase(Bytes& file) { Put32(file, 508, engine::HiveBaseChecksum(file.data())); }

// Appends a hive bin holding one allocated cell with the payload (the rest
// of the bin a free cell); the cell's offset. The file ends where its hive
// bins end, as the peer writer leaves it.
inline std::uint32_t AddCell(Bytes& hive, const Bytes& payload) {
  const std::uint32_t at = Get32(hive, 40);
  const auto cell = static_cast<std::uint32_t>((4 + payload.size() + 7) / 8 * 8);
  const std::uint32_t bin = (32 + cell + 4095) / 4096 * 4096;
  hive.resize(4096 + at + bin, 0);
  Put32(hive, 4096 + at, 0x6E696268);  // "hbin"
  Put32(hive, 4096 + at + 4, at);
  Put32(hive, 4096 + at + 8, bin);
  Put32(hive, 4096 + at + 32, 0u - cell);
  std::copy(payload.begin(), payload.end(), hive.begin() + 4096 + at + 36);
  if (bin > 32 + cell) Put32(hive, 4096 + at + 32 + cell, bin - 32 - cell);
  Put32(hive, 40, at + bin);
  SealBase(hive);
  return at + 32;
}

struct LogEntry {
  std::uint32_t sequence = 0, binsSize = 0;
  std::vector<std::pair<std::uint32_t, Bytes>> pages;  // offset in the hive bins data, bytes
};

// The 4096-byte pages of to's hive bins data that differ from from's
// (adjacent ones joined into one when runs is true).
inline std::vector<std::pair<std::uint32_t, Bytes>> ChangedPages(const Bytes& from, const Bytes& to, bool runs) {
  std::vector<std::pair<std::uint32_t, Bytes>> pages;
  for (std::size_t at = 4096; at + 4096 <= to.size(); at += 4096) {
    if (at + 4096 <= from.size() && std::equal(to.begin() + at, to.begin() + at + 4096, from.begin() + at)) continue;
    if (!runs || pages.empty() || pages.back().first + pages.back().second.size() != at - 4096)
      pages.emplace_back(static_cast<std::uint32_t>(at - 4096), Bytes());
    pages.back().second.insert(pages.back().second.end(), to.begin() + at, to.begin() + at + 4096);
  }
  return pages;
}

inline std::uint64_t LogHash(const std::uint8_t* data, std::size_t length) {
  engine::Marvin32 hash(engine::kHiveLogSeed);
  hash.Add(data, length);
  return hash.Finish();
}

// The checksum of a log's base block and both hashes of each entry.
inline void SealLog(Bytes& log) {
  SealBase(log);
  for (std::size_t at = 512; at + 40 <= log.size() && Get32(log, at) == 0x454C7648;) {
    const std::size_t size = Get32(log, at + 4);
    if (size < 40 || size > log.size() - at) break;
    Put64(log, at + 24, LogHash(log.data() + at + 40, size - 40));
    Put64(log, at + 32, LogHash(log.data() + at, 32));
    at += size;
  }
}

// A log of the new format: the primary's first sector as its base block,
// then the entries, each padded to whole sectors.
inline Bytes LogFile(const Bytes& primary, std::uint32_t baseSequence, const std::vector<LogEntry>& entries) {
  Bytes log(primary.begin(), primary.begin() + 512);
  Put32(log, 4, baseSequence);
  Put32(log, 8, baseSequence);
  Put32(log, 28, 6);
  for (const auto& entry : entries) {
    Bytes bytes(40 + 8 * entry.pages.size(), 0);
    Put32(bytes, 0, 0x454C7648);  // "HvLE"
    Put32(bytes, 12, entry.sequence);
    Put32(bytes, 16, entry.binsSize);
    Put32(bytes, 20, static_cast<std::uint32_t>(entry.pages.size()));
    for (std::size_t i = 0; i < entry.pages.size(); ++i) {
      Put32(bytes, 40 + 8 * i, entry.pages[i].first);
      Put32(bytes, 44 + 8 * i, static_cast<std::uint32_t>(entry.pages[i].second.size()));
      bytes.insert(bytes.end(), entry.pages[i].second.begin(), entry.pages[i].second.end());
    }
    bytes.resize((bytes.size() + 511) / 512 * 512, 0);
    Put32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
    log.insert(log.end(), bytes.begin(), bytes.end());
  }
  SealLog(log);
  return log;
}

}  // namespace qlmtest
