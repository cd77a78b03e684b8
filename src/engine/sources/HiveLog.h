#pragma once
// A hive's base block, and its transaction logs (*.LOG1, *.LOG2): when the
// primary file is behind, the logged pages of the new format are laid over
// it in memory, entry by entry in the order of their sequence numbers, each
// checked by its hashes first. Nothing is ever written. Platform-free.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/sources/HiveBytes.h"
#include "engine/sources/HiveImage.h"

namespace engine {

// The fields of a base block the reader uses (the first 512 bytes).
struct HiveBase {
  std::uint32_t primarySequence = 0;
  std::uint32_t secondarySequence = 0;
  std::uint64_t lastWritten = 0;
  std::uint32_t majorVersion = 0, minorVersion = 0;
  std::uint32_t fileType = 0;  // 0 a primary file; 1 or 2 an old log; 6 a new log
  std::uint32_t rootCell = 0;
  std::uint32_t binsSize = 0;  // of the hive bins data
  bool checksumOk = false;
};

constexpr std::size_t kHiveBaseFieldBytes = 512;
// The base block's fields; nothing without the "regf" signature.
std::optional<HiveBase> ParseHiveBase(const std::uint8_t* first512);
// The XOR of the first 508 bytes as 32-bit words (never 0 or 0xFFFFFFFF).
std::uint32_t HiveBaseChecksum(const std::uint8_t* first512);

// Marvin32, the hash that checks log entries, fed in any pieces.
class Marvin32 {
 public:
  explicit Marvin32(std::uint64_t seed);
  void Add(const std::uint8_t* data, std::size_t length);
  std::uint64_t Finish();

 private:
  void Mix(std::uint32_t word);
  std::uint32_t lo_, hi_;
  std::uint8_t tail_[4] = {};
  std::size_t pending_ = 0;
};
// The seed log entries are hashed with.
constexpr std::uint64_t kHiveLogSeed = 0xC5554E7A884DEF82ull;

// What became of a log.
enum class HiveLogOutcome {
  Missing,      // none was given
  NotNeeded,    // the hive is clean: the log was not read
  Applied,      // at least one entry was applied
  NoneApplied,  // a valid log, but no entry of it applied (the stop says why)
  NotALog,      // no valid base block of a log
  OldFormat,    // a log of the old format (a dirty vector): not applied
  NotValid,     // its sequence numbers differ: it was left halfway written
  NotChosen,    // the primary's base block is broken and the other log is newer
};

// Why reading a log's entries stopped.
enum class HiveLogStop {
  AtEnd,         // no further entry
  Torn,          // an entry that runs past the end of the file
  BadEntry,      // an entry whose fields or page references are impossible
  HashMismatch,  // an entry whose hashes do not match its bytes
  SequenceGap,   // an entry that does not continue the sequence
  TooManyPages,  // more replaced pages than the reader keeps
};

struct HiveLogReport {
  HiveLogOutcome outcome = HiveLogOutcome::Missing;
  std::uint32_t entriesApplied = 0;
  std::uint32_t lastSequence = 0;  // of the last entry applied
  HiveLogStop stop = HiveLogStop::AtEnd;
  std::uint64_t stopOffset = 0;  // where in the log it stopped
};

struct HiveRecovery {
  HiveLogReport logs[2];
  bool baseFromLog = false;  // the primary's base block was broken: a log's was used
};

// Lays the entries of the logs (either may be null) that a dirty hive needs
// over its image, and updates base to the state they leave.
HiveRecovery RecoverHive(HiveImage& image, HiveBase& base, std::unique_ptr<HiveBytes> log1,
                         std::unique_ptr<HiveBytes> log2);

}  // namespace engine
