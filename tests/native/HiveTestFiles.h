#pragma once
// Hive bytes for the tests and the fuzz target: the base block's checksum,
// and transaction logs of the new format written from the published layout.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "engine/files/MemoryFileSource.h"
#include "engine/sources/HiveLog.h"

namespace qlmtest {

using Bytes = std::vector<std::uint8_t>;

// A folder for the test's files, removed when the process ends.
inline const std::string& TempDir() {
  static char pattern[] = "/tmp/qlm-hive-XXXXXX";
  static const std::string dir = std::string(mkdtemp(pattern)) + "/";
  [[maybe_unused]] static const int removed = std::atexit([] { std::filesystem::remove_all(dir); });
  return dir;
}
inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
inline std::string Run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  for (int ch; pipe && (ch = std::fgetc(pipe)) != EOF;) out.push_back(static_cast<char>(ch));
  if (pipe) pclose(pipe);
  return out;
}
// The peer writer's hive: the file after the script's commands.
inline Bytes Hivexsh(const std::string& from, const std::string& script, const std::string& name) {
  std::ofstream(TempDir() + name + ".script") << script << "commit " << TempDir() + name << "\n";
  Run("hivexsh -w '" + from + "' < '" + TempDir() + name + ".script'");
  return ReadBytes(TempDir() + name);
}

// The bytes as a file source gives them: read through the reader's cache.
inline std::unique_ptr<engine::HiveBytes> AsFile(const Bytes& bytes) {
  engine::MemoryFileSource files;
  files.AddFile(L"C:\\hive", bytes);
  return std::make_unique<engine::HiveBytesOver<engine::OpenFile>>(files.Open(L"C:\\hive"));
}

inline std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline void Put32(Bytes& b, std::size_t at, std::uint64_t value, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void SealBase(Bytes& file) { Put32(file, 508, engine::HiveBaseChecksum(file.data())); }

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
    Put32(log, at + 24, LogHash(log.data() + at + 40, size - 40), 8);
    Put32(log, at + 32, LogHash(log.data() + at, 32), 8);
    at += size;
  }
}

struct LogEntry {
  std::uint32_t sequence = 0, binsSize = 0;
  std::vector<std::pair<std::uint32_t, Bytes>> pages;  // offset in the hive bins data, bytes
};

// The 4096-byte pages of to's hive bins data that differ from from's
// (adjacent ones joined when runs is true).
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

// A log: the primary's first sector as its base block (file type 6), then
// each entry ("HvLE") padded to whole sectors.
inline Bytes LogFile(const Bytes& primary, std::uint32_t baseSequence, const std::vector<LogEntry>& entries) {
  Bytes log(primary.begin(), primary.begin() + 512);
  Put32(log, 4, baseSequence | (std::uint64_t{baseSequence} << 32), 8);
  Put32(log, 28, 6);
  for (const auto& entry : entries) {
    Bytes bytes(40 + 8 * entry.pages.size(), 0);
    Put32(bytes, 0, 0x454C7648);
    Put32(bytes, 12, entry.sequence | (std::uint64_t{entry.binsSize} << 32), 8);
    Put32(bytes, 20, entry.pages.size());
    for (std::size_t i = 0; i < entry.pages.size(); ++i) {
      Put32(bytes, 40 + 8 * i, entry.pages[i].first | (std::uint64_t{entry.pages[i].second.size()} << 32), 8);
      bytes.insert(bytes.end(), entry.pages[i].second.begin(), entry.pages[i].second.end());
    }
    bytes.resize((bytes.size() + 511) / 512 * 512, 0);
    Put32(bytes, 4, bytes.size());
    log.insert(log.end(), bytes.begin(), bytes.end());
  }
  SealLog(log);
  return log;
}

}  // namespace qlmtest
