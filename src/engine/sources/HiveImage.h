#pragma once
// The hive bins data of a hive as the reader sees it: the primary file's
// bytes, where a transaction log replaced pages the log's, read through a
// small cache; cut into hive bins, and into cells checked against them.
// Only reads. Platform-free.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "engine/sources/HiveBytes.h"

namespace engine {

// What was wrong with a part of a hive. The reader leaves that part out
// and reads on.
enum class HiveProblem {
  BinsEndEarly,      // a hive bin is broken or missing before the declared end
  OffsetOutside,     // an offset outside every hive bin's cells
  CellSizeZero,      // a cell of size 0
  CellNotAllocated,  // a reference to a free cell
  CellPastBin,       // a cell that runs past the end of its hive bin
  WrongRecord,       // a cell holding another record than the one expected
  ListRepeats,       // a list that reaches the same cell twice
  IndexRootNested,   // an index root naming another index root
  ListPastCell,      // a list counting more elements than its cell holds
  CountMismatch,     // a key whose counts differ from its lists
  NamePastCell,      // a name that runs past its cell
  WrongParent,       // a subkey naming another key as its parent
  DataPastCell,      // value data that runs past its cell
  BigDataBroken,     // a big data record whose segments do not hold the data
  InlineTooLong,     // data said to be inline but longer than four bytes
};

// The base block ahead of the hive bins data.
constexpr std::uint64_t kHiveBaseBlockBytes = 4096;
// Offsets in a hive are relative to the hive bins data; this one names
// nothing.
constexpr std::uint32_t kNoCell = 0xFFFFFFFF;
// Cells start on this boundary (their sizes are multiples of it).
constexpr std::uint32_t kCellAlign = 8;

// Bytes of a hive read in place: valid until the next read of its image.
struct HiveSpan {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// A set of cells, a bit for each aligned offset below a bound (1/64 of
// it in memory): cheap to test, to fill and to empty. A cell past the
// bound or not aligned (no cell is read there) is never kept.
class HiveCellSet {
 public:
  void Bound(std::uint64_t extent) { words_.assign(static_cast<std::size_t>(extent / kCellAlign / 64 + 1), 0); }
  bool Contains(std::uint32_t cell) const {
    const std::uint64_t bit = cell / kCellAlign;
    return cell % kCellAlign == 0 && bit / 64 < words_.size() && (words_[bit / 64] >> (bit % 64) & 1) != 0;
  }
  // False when the cell was kept already.
  bool Insert(std::uint32_t cell) {
    const std::uint64_t bit = cell / kCellAlign;
    if (cell % kCellAlign != 0 || bit / 64 >= words_.size()) return true;
    const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
    const bool added = (words_[bit / 64] & mask) == 0;
    words_[bit / 64] |= mask;
    return added;
  }
  void Erase(std::uint32_t cell) {
    const std::uint64_t bit = cell / kCellAlign;
    if (cell % kCellAlign == 0 && bit / 64 < words_.size()) words_[bit / 64] &= ~(std::uint64_t{1} << (bit % 64));
  }

 private:
  std::vector<std::uint64_t> words_;
};

class HiveImage {
 public:
  explicit HiveImage(std::unique_ptr<HiveBytes> primary);

  HiveBytes& Primary() { return *sources_[0]; }
  std::uint64_t SourceSize(std::size_t source) const { return sizes_[source]; }
  // Keeps a log whose pages may replace the primary's; its source number.
  std::size_t Keep(std::unique_ptr<HiveBytes> log);
  // From now on [offset, offset + length) of the hive bins data is read
  // from the source at from.
  void Replace(std::uint64_t offset, std::uint64_t length, std::size_t source, std::uint64_t from);
  // Exactly length bytes of the hive bins data at offset.
  bool Read(std::uint64_t offset, std::size_t length, std::uint8_t* out, bool cached = true);
  // Exactly length bytes of a source, not replaced by anything.
  bool ReadSource(std::size_t source, std::uint64_t offset, std::size_t length, std::uint8_t* out, bool cached = true);

  // Finds the hive bins from the start up to the declared size of the hive
  // bins data, stopping at the first one that is broken; the size found.
  std::uint64_t FindBins(std::uint64_t declaredSize);

  // The number of data bytes of the allocated cell at offset, checked to
  // lie after the header of one hive bin and inside it.
  std::optional<std::uint32_t> CellCapacity(std::uint32_t offset, HiveProblem& why);
  // Up to want bytes of the cell's data (all of it when it is smaller).
  bool ReadCell(std::uint32_t offset, std::size_t want, std::vector<std::uint8_t>& out, HiveProblem& why);
  // The same, in place where the bytes lie in memory or in one cached
  // block, else copied into a buffer of the image's.
  bool CellSpan(std::uint32_t offset, std::size_t want, HiveSpan& out, HiveProblem& why);
  // Where the cells a read can reach end: the bins found, cut to the bytes
  // the files hold (a bin may declare more).
  std::uint64_t CellExtent() const;

 private:
  struct Piece {
    std::uint64_t end = 0;
    std::size_t source = 0;
    std::uint64_t from = 0;
  };
  struct Bin {
    std::uint64_t start = 0, end = 0;
  };
  struct CacheSlot {
    std::uint64_t lastUse = 0;
    std::unique_ptr<std::uint8_t[]> bytes;  // not zeroed first: a read fills them
    std::size_t capacity = 0;
  };
  // The block's bytes; nothing when it cannot be read.
  std::optional<HiveSpan> CachedBlock(std::size_t source, std::uint64_t block);
  // length bytes of the hive bins data at offset where they already lie
  // together (in memory or in one cached block); null otherwise.
  const std::uint8_t* InPlace(std::uint64_t offset, std::size_t length);
  // The end of the hive bin that holds a cell at offset, the offset checked
  // to lie aligned after the bin's header; its bytes not yet read.
  std::optional<std::uint64_t> CellBinEnd(std::uint32_t offset, HiveProblem& why) const;

  std::vector<std::unique_ptr<HiveBytes>> sources_;
  std::vector<std::uint64_t> sizes_;         // a source stays the same file while open
  std::map<std::uint64_t, Piece> replaced_;  // by start offset, never overlapping
  std::vector<Bin> bins_;
  std::vector<std::uint32_t> binOfUnit_;  // each 4 KB of the bins found: its bin's index
  std::vector<const std::uint8_t*> inMemory_;  // each source's bytes when all are in memory
  std::vector<CacheSlot> cache_;
  std::vector<std::uint64_t> cacheKeys_;  // each slot's block key
  std::unordered_map<std::uint64_t, std::size_t> slotOfKey_;
  std::size_t cacheSlots_ = 0;  // how many the cache may hold: set on first use
  std::size_t lastSlot_ = 0;
  std::uint64_t uses_ = 0;
  std::vector<std::uint8_t> spill_;  // a cell read in pieces
};

}  // namespace engine
