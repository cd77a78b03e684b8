#include "engine/sources/HiveLog.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace engine {

namespace {

constexpr std::uint32_t kRegfSignature = 0x66676572;   // "regf"
constexpr std::uint32_t kEntrySignature = 0x454C7648;  // "HvLE"
constexpr std::uint32_t kNewLogType = 6;
constexpr std::size_t kEntryHeaderBytes = 40;
constexpr std::uint64_t kSector = 512;
constexpr std::uint64_t kBinUnit = 4096;
// Replaced ranges kept at most, whatever the size of the logs: a hostile
// log of scattered pages must not grow the map without bound.
constexpr std::size_t kMaxReplacedPages = 1 << 20;
constexpr std::size_t kReferencesAtOnce = 4096;
constexpr std::size_t kHashPiece = 64 * 1024;

std::uint32_t U32At(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}
std::uint64_t U64At(const std::uint8_t* at) { return U32At(at) | (std::uint64_t{U32At(at + 4)} << 32); }

std::uint32_t Rotl(std::uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

struct Entry {
  std::uint64_t at = 0;  // in the log
  std::uint32_t size = 0, sequence = 0, binsSize = 0, pages = 0;
};

// The state carried from one log to the next.
struct LogRun {
  std::optional<std::uint32_t> expected;  // the next sequence number, once an entry applied
  std::uint32_t minimum = 0;              // entries below it are older than the primary
  std::uint32_t binsSize = 0;
  std::size_t pagesKept = 0;
};

class LogReader {
 public:
  LogReader(HiveImage& image, std::size_t source) : image_(image), source_(source) {}
  void Apply(LogRun& run, HiveLogReport& report);

 private:
  std::optional<HiveLogStop> ReadEntry(std::uint64_t at, Entry& entry);
  bool HashesMatch(const Entry& entry, const std::uint8_t* header);
  // Calls use(offset, size, where in the log) for each page reference.
  template <class Use>
  bool ForEachPage(const Entry& entry, Use use);
  std::optional<HiveLogStop> ApplyPages(const Entry& entry, LogRun& run);

  HiveImage& image_;
  std::size_t source_;
};

void LogReader::Apply(LogRun& run, HiveLogReport& report) {
  bool appliedHere = false;
  std::uint64_t at = kSector;
  for (;;) {
    Entry entry;
    if (const auto stop = ReadEntry(at, entry)) {
      report.stop = *stop;
      break;
    }
    const std::uint32_t floor = run.expected ? *run.expected : run.minimum;
    const bool next = run.expected ? entry.sequence == *run.expected : entry.sequence >= run.minimum;
    if (!next) {
      // An entry older than what is applied is skipped until this log's
      // own run begins; after it, anything but the next number ends it.
      if (appliedHere || entry.sequence >= floor) {
        report.stop = HiveLogStop::SequenceGap;
        break;
      }
      at += entry.size;
      continue;
    }
    if (const auto refused = ApplyPages(entry, run)) {
      report.stop = *refused;
      break;
    }
    appliedHere = true;
    run.expected = entry.sequence + 1;
    run.binsSize = entry.binsSize;
    ++report.entriesApplied;
    report.lastSequence = entry.sequence;
    at += entry.size;
  }
  report.stopOffset = at;
}

std::optional<HiveLogStop> LogReader::ReadEntry(std::uint64_t at, Entry& entry) {
  const std::uint64_t logSize = image_.SourceSize(source_);
  std::uint8_t header[kEntryHeaderBytes];
  if (at >= logSize || logSize - at < 4) return HiveLogStop::AtEnd;
  const auto have = static_cast<std::size_t>(std::min<std::uint64_t>(kEntryHeaderBytes, logSize - at));
  if (!image_.ReadSource(source_, at, have, header, false) || U32At(header) != kEntrySignature)
    return HiveLogStop::AtEnd;
  if (have < kEntryHeaderBytes) return HiveLogStop::Torn;
  entry = {at, U32At(header + 4), U32At(header + 12), U32At(header + 16), U32At(header + 20)};
  if (entry.size < kSector || entry.size % kSector != 0 || entry.binsSize == 0 || entry.binsSize % kBinUnit != 0 ||
      entry.pages > (entry.size - kEntryHeaderBytes) / 8)
    return HiveLogStop::BadEntry;
  if (entry.size > logSize - at) return HiveLogStop::Torn;
  if (!HashesMatch(entry, header)) return HiveLogStop::HashMismatch;
  return std::nullopt;
}

bool LogReader::HashesMatch(const Entry& entry, const std::uint8_t* header) {
  Marvin32 headerHash(kHiveLogSeed);
  headerHash.Add(header, 32);
  if (headerHash.Finish() != U64At(header + 32)) return false;
  Marvin32 bodyHash(kHiveLogSeed);
  std::vector<std::uint8_t> piece;
  for (std::uint64_t at = kEntryHeaderBytes; at < entry.size;) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kHashPiece, entry.size - at)));
    if (!image_.ReadSource(source_, entry.at + at, piece.size(), piece.data(), false)) return false;
    bodyHash.Add(piece.data(), piece.size());
    at += piece.size();
  }
  return bodyHash.Finish() == U64At(header + 24);
}

template <class Use>
bool LogReader::ForEachPage(const Entry& entry, Use use) {
  std::vector<std::uint8_t> references;
  std::uint64_t pageAt = entry.at + kEntryHeaderBytes + std::uint64_t{entry.pages} * 8;
  for (std::uint32_t done = 0; done < entry.pages;) {
    const std::uint32_t count = std::min<std::uint32_t>(kReferencesAtOnce, entry.pages - done);
    references.resize(std::size_t{count} * 8);
    if (!image_.ReadSource(source_, entry.at + kEntryHeaderBytes + std::uint64_t{done} * 8, references.size(),
                           references.data(), false))
      return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t size = U32At(references.data() + 8 * i + 4);
      if (!use(U32At(references.data() + 8 * i), size, pageAt)) return false;
      pageAt += size;
    }
    done += count;
  }
  return true;
}

std::optional<HiveLogStop> LogReader::ApplyPages(const Entry& entry, LogRun& run) {
  const std::uint64_t entryEnd = entry.at + entry.size;
  // Every reference is checked before the first page is laid over.
  const bool sound = ForEachPage(entry, [&](std::uint32_t offset, std::uint32_t size, std::uint64_t at) {
    return size > 0 && size % kSector == 0 && offset % kSector == 0 && std::uint64_t{offset} + size <= entry.binsSize &&
           at + size <= entryEnd;
  });
  if (!sound) return HiveLogStop::BadEntry;
  if (run.pagesKept + entry.pages > kMaxReplacedPages) return HiveLogStop::TooManyPages;
  ForEachPage(entry, [&](std::uint32_t offset, std::uint32_t size, std::uint64_t at) {
    image_.Replace(offset, size, source_, at);
    return true;
  });
  run.pagesKept += entry.pages;
  return std::nullopt;
}

// A log's base block when it is one of the new format that may apply; else
// what it is, in refusal.
std::optional<HiveBase> ReadLogBase(HiveBytes& log, HiveLogOutcome& refusal) {
  std::array<std::uint8_t, kHiveBaseFieldBytes> first{};
  refusal = HiveLogOutcome::NotALog;
  if (!log.Read(0, first.size(), first.data())) return std::nullopt;
  const auto base = ParseHiveBase(first.data());
  if (!base || !base->checksumOk) return std::nullopt;
  if (base->fileType == 1 || base->fileType == 2) refusal = HiveLogOutcome::OldFormat;
  if (base->fileType != kNewLogType) return std::nullopt;
  refusal = HiveLogOutcome::NotValid;
  if (base->primarySequence != base->secondarySequence) return std::nullopt;
  return base;
}

}  // namespace

std::optional<HiveBase> ParseHiveBase(const std::uint8_t* b) {
  if (U32At(b) != kRegfSignature) return std::nullopt;
  HiveBase base;
  base.primarySequence = U32At(b + 4);
  base.secondarySequence = U32At(b + 8);
  base.lastWritten = U64At(b + 12);
  base.majorVersion = U32At(b + 20);
  base.minorVersion = U32At(b + 24);
  base.fileType = U32At(b + 28);
  base.rootCell = U32At(b + 36);
  base.binsSize = U32At(b + 40);
  base.checksumOk = U32At(b + 508) == HiveBaseChecksum(b);
  return base;
}

std::uint32_t HiveBaseChecksum(const std::uint8_t* first512) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < 508; at += 4) sum ^= U32At(first512 + at);
  if (sum == 0xFFFFFFFF) return 0xFFFFFFFE;
  return sum == 0 ? 1 : sum;
}

Marvin32::Marvin32(std::uint64_t seed)
    : lo_(static_cast<std::uint32_t>(seed)), hi_(static_cast<std::uint32_t>(seed >> 32)) {}

void Marvin32::Mix(std::uint32_t word) {
  lo_ += word;
  hi_ ^= lo_;
  lo_ = Rotl(lo_, 20) + hi_;
  hi_ = Rotl(hi_, 9) ^ lo_;
  lo_ = Rotl(lo_, 27) + hi_;
  hi_ = Rotl(hi_, 19);
}

void Marvin32::Add(const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    if (pending_ == 0 && length >= 4) {
      Mix(U32At(data));
      data += 4;
      length -= 4;
      continue;
    }
    tail_[pending_++] = *data++;
    --length;
    if (pending_ == 4) {
      Mix(U32At(tail_));
      pending_ = 0;
    }
  }
}

std::uint64_t Marvin32::Finish() {
  // The last 0 to 3 bytes, closed by a 0x80 byte.
  std::uint32_t last = 0x80;
  for (std::size_t i = pending_; i-- > 0;) last = (last << 8) | tail_[i];
  Mix(last);
  Mix(0);
  return (std::uint64_t{hi_} << 32) | lo_;
}

HiveRecovery RecoverHive(HiveImage& image, HiveBase& base, std::unique_ptr<HiveBytes> log1,
                         std::unique_ptr<HiveBytes> log2) {
  HiveRecovery recovery;
  std::unique_ptr<HiveBytes> logs[2] = {std::move(log1), std::move(log2)};
  HiveBase logBases[2];
  const bool dirty = !base.checksumOk || base.primarySequence != base.secondarySequence;
  std::vector<std::size_t> usable;
  for (std::size_t i = 0; i < 2; ++i) {
    if (!logs[i]) continue;
    auto& outcome = recovery.logs[i].outcome;
    outcome = HiveLogOutcome::NotNeeded;
    if (!dirty) continue;
    if (const auto logBase = ReadLogBase(*logs[i], outcome)) {
      logBases[i] = *logBase;
      usable.push_back(i);
    }
  }
  if (usable.empty()) return recovery;
  LogRun run;
  run.binsSize = base.binsSize;
  if (!base.checksumOk) {
    // Only the newest log stands in for a broken base block.
    const std::size_t newest =
        usable.size() == 2 && logBases[1].primarySequence > logBases[0].primarySequence ? 1 : usable[0];
    for (const std::size_t i : usable)
      if (i != newest) recovery.logs[i].outcome = HiveLogOutcome::NotChosen;
    usable = {newest};
    base = logBases[newest];
    base.fileType = 0;
    recovery.baseFromLog = true;
    run.binsSize = base.binsSize;
    run.minimum = base.primarySequence;
  } else {
    // The log holding the earlier entries first.
    run.minimum = base.secondarySequence;
    if (usable.size() == 2 && logBases[1].primarySequence < logBases[0].primarySequence)
      std::swap(usable[0], usable[1]);
  }
  for (const std::size_t i : usable) {
    auto& report = recovery.logs[i];
    LogReader(image, image.Keep(std::move(logs[i]))).Apply(run, report);
    report.outcome = report.entriesApplied > 0 ? HiveLogOutcome::Applied : HiveLogOutcome::NoneApplied;
  }
  if (run.expected) {
    base.binsSize = run.binsSize;
    base.primarySequence = base.secondarySequence = *run.expected - 1;
  }
  return recovery;
}

}  // namespace engine
