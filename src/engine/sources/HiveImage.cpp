#include "engine/sources/HiveImage.h"

#include <algorithm>
#include <iterator>

namespace engine {

namespace {

constexpr std::size_t kBinHeaderBytes = 32;
constexpr std::uint64_t kBinUnit = 4096;
// The cache: blocks of 64 KB, as many as a quarter of the primary file
// holds, at least 16 (1 MB) and at most 1,024 (64 MB): a listing's lookups
// land all over a large hive.
constexpr std::uint64_t kBlockBytes = 64 * 1024;
constexpr std::size_t kLeastCacheSlots = 16, kMostCacheSlots = 1024;
constexpr std::size_t kMaxSources = 8;
constexpr std::uint64_t kNoBlock = ~std::uint64_t{0};

std::uint32_t U32At(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace

HiveImage::HiveImage(std::unique_ptr<HiveBytes> primary) { Keep(std::move(primary)); }

std::size_t HiveImage::Keep(std::unique_ptr<HiveBytes> source) {
  sizes_.push_back(source->Size());
  inMemory_.push_back(source->InMemory());
  sources_.push_back(std::move(source));
  return sources_.size() - 1;
}

void HiveImage::Replace(std::uint64_t offset, std::uint64_t length, std::size_t source, std::uint64_t from) {
  if (length == 0) return;
  const std::uint64_t end = offset + length;
  auto it = replaced_.lower_bound(offset);
  // A piece that begins before the range keeps its part before it (and
  // after it, when it covers the whole range).
  if (it != replaced_.begin()) {
    auto before = std::prev(it);
    if (before->second.end > offset) {
      const Piece whole = before->second;
      before->second.end = offset;
      if (whole.end > end) replaced_[end] = {whole.end, whole.source, whole.from + (end - before->first)};
    }
  }
  while (it != replaced_.end() && it->first < end) {
    if (it->second.end > end) replaced_[end] = {it->second.end, it->second.source, it->second.from + (end - it->first)};
    it = replaced_.erase(it);
  }
  replaced_[offset] = {end, source, from};
}

std::optional<HiveSpan> HiveImage::CachedBlock(std::size_t source, std::uint64_t block) {
  const std::uint64_t key = block * kMaxSources + source;
  const std::uint64_t start = block * kBlockBytes;
  if (start >= sizes_[source]) return std::nullopt;
  const auto length = static_cast<std::size_t>(std::min(kBlockBytes, sizes_[source] - start));
  if (cacheSlots_ == 0)
    cacheSlots_ = static_cast<std::size_t>(
        std::clamp<std::uint64_t>(sizes_[0] / kBlockBytes / 4, kLeastCacheSlots, kMostCacheSlots));
  std::size_t slot = lastSlot_;
  if (slot >= cacheKeys_.size() || cacheKeys_[slot] != key) {
    const auto found = slotOfKey_.find(key);
    slot = found == slotOfKey_.end() ? cacheKeys_.size() : found->second;
  }
  if (slot == cacheKeys_.size()) {
    if (cache_.size() < cacheSlots_) {
      cache_.emplace_back();
      cacheKeys_.push_back(kNoBlock);
    }
    slot = static_cast<std::size_t>(std::min_element(cache_.begin(), cache_.end(), [](const CacheSlot& a, const CacheSlot& b) {
                                      return a.lastUse < b.lastUse;
                                    }) - cache_.begin());
    // The block is read straight into the slot.
    CacheSlot& into = cache_[slot];
    slotOfKey_.erase(cacheKeys_[slot]);
    cacheKeys_[slot] = kNoBlock;
    if (into.capacity < length) {
      into.bytes.reset(new std::uint8_t[length]);
      into.capacity = length;
    }
    if (!sources_[source]->Read(start, length, into.bytes.get())) return std::nullopt;
    cacheKeys_[slot] = key;
    slotOfKey_[key] = slot;
  }
  lastSlot_ = slot;
  cache_[slot].lastUse = ++uses_;
  return HiveSpan{cache_[slot].bytes.get(), length};
}

bool HiveImage::ReadSource(std::size_t source, std::uint64_t offset, std::size_t length, std::uint8_t* out,
                           bool cached) {
  if (source >= sources_.size() || source >= kMaxSources) return false;
  const std::uint64_t size = sizes_[source];
  if (offset > size || length > size - offset) return false;
  if (const std::uint8_t* all = inMemory_[source]) {
    std::copy_n(all + offset, length, out);
    return true;
  }
  if (!cached) return sources_[source]->Read(offset, length, out);
  while (length > 0) {
    const auto block = CachedBlock(source, offset / kBlockBytes);
    const std::size_t at = static_cast<std::size_t>(offset % kBlockBytes);
    if (!block || at >= block->size) return false;
    const std::size_t piece = std::min(length, block->size - at);
    std::copy_n(block->data + at, piece, out);
    out += piece;
    offset += piece;
    length -= piece;
  }
  return true;
}

const std::uint8_t* HiveImage::InPlace(std::uint64_t offset, std::size_t length) {
  std::size_t source = 0;
  std::uint64_t at = kHiveBaseBlockBytes + offset;
  if (!replaced_.empty()) {
    const auto it = replaced_.upper_bound(offset);
    if (it != replaced_.begin() && std::prev(it)->second.end > offset) {
      const auto& [start, piece] = *std::prev(it);
      if (piece.end - offset < length) return nullptr;
      source = piece.source;
      at = piece.from + (offset - start);
    } else if (it != replaced_.end() && it->first - offset < length) {
      return nullptr;
    }
  }
  if (source >= sources_.size() || source >= kMaxSources || at > sizes_[source] || length > sizes_[source] - at)
    return nullptr;
  if (const std::uint8_t* all = inMemory_[source]) return all + at;
  const std::size_t within = static_cast<std::size_t>(at % kBlockBytes);
  if (length > kBlockBytes - within) return nullptr;
  const auto block = CachedBlock(source, at / kBlockBytes);
  if (!block || length > block->size || within > block->size - length) return nullptr;
  return block->data + within;
}

bool HiveImage::Read(std::uint64_t offset, std::size_t length, std::uint8_t* out, bool cached) {
  while (length > 0) {
    auto it = replaced_.upper_bound(offset);
    const bool inPiece = it != replaced_.begin() && std::prev(it)->second.end > offset;
    std::size_t piece = length;
    bool read = false;
    if (inPiece) {
      const auto& [start, replaced] = *std::prev(it);
      piece = static_cast<std::size_t>(std::min<std::uint64_t>(length, replaced.end - offset));
      read = ReadSource(replaced.source, replaced.from + (offset - start), piece, out, cached);
    } else {
      if (it != replaced_.end()) piece = static_cast<std::size_t>(std::min<std::uint64_t>(length, it->first - offset));
      read = ReadSource(0, kHiveBaseBlockBytes + offset, piece, out, cached);
    }
    if (!read) return false;
    out += piece;
    offset += piece;
    length -= piece;
  }
  return true;
}

std::uint64_t HiveImage::FindBins(std::uint64_t declaredSize) {
  bins_.clear();
  binOfUnit_.clear();
  std::uint64_t at = 0;
  while (at < declaredSize) {
    // Through the cache: its blocks are what a walk reads next.
    std::uint8_t header[kBinHeaderBytes];
    if (!Read(at, sizeof header, header)) break;
    const std::uint64_t size = U32At(header + 8);
    if (U32At(header) != 0x6E696268 /* "hbin" */ || U32At(header + 4) != at || size < kBinUnit ||
        size % kBinUnit != 0 || size > declaredSize - at)
      break;
    bins_.push_back({at, at + size});
    binOfUnit_.insert(binOfUnit_.end(), size / kBinUnit, static_cast<std::uint32_t>(bins_.size() - 1));
    at += size;
  }
  return at;
}

std::uint64_t HiveImage::CellExtent() const {
  std::uint64_t held = sizes_[0] > kHiveBaseBlockBytes ? sizes_[0] - kHiveBaseBlockBytes : 0;
  if (!replaced_.empty()) held = std::max(held, std::prev(replaced_.end())->second.end);
  return std::min(held, bins_.empty() ? 0 : bins_.back().end);
}

std::optional<std::uint64_t> HiveImage::CellBinEnd(std::uint32_t offset, HiveProblem& why) const {
  why = HiveProblem::OffsetOutside;
  // Bins are whole 4 KB units from the start: the unit finds the bin.
  if (offset % kCellAlign != 0 || offset / kBinUnit >= binOfUnit_.size()) return std::nullopt;
  const Bin& bin = bins_[binOfUnit_[offset / kBinUnit]];
  if (offset < bin.start + kBinHeaderBytes || offset + std::uint64_t{4} > bin.end) return std::nullopt;
  return bin.end;
}

std::optional<std::uint32_t> HiveImage::CellCapacity(std::uint32_t offset, HiveProblem& why) {
  const auto binEnd = CellBinEnd(offset, why);
  if (!binEnd) return std::nullopt;
  std::uint8_t copied[4];
  const std::uint8_t* sizeField = InPlace(offset, 4);
  if (!sizeField && Read(offset, 4, copied)) sizeField = copied;
  if (!sizeField) return std::nullopt;
  const auto size = static_cast<std::int32_t>(U32At(sizeField));
  if (size == 0) {
    why = HiveProblem::CellSizeZero;
    return std::nullopt;
  }
  if (size > 0) {
    why = HiveProblem::CellNotAllocated;
    return std::nullopt;
  }
  const std::uint64_t length = static_cast<std::uint64_t>(-static_cast<std::int64_t>(size));
  if (length < 4 || offset + length > *binEnd) {
    why = HiveProblem::CellPastBin;
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(length - 4);
}

bool HiveImage::CellSpan(std::uint32_t offset, std::size_t want, HiveSpan& out, HiveProblem& why) {
  const auto capacity = CellCapacity(offset, why);
  if (!capacity) return false;
  const std::size_t length = std::min<std::size_t>(want, *capacity);
  const std::uint64_t at = std::uint64_t{offset} + 4;
  if (const std::uint8_t* bytes = InPlace(at, length)) {
    out = {bytes, length};
    return true;
  }
  spill_.resize(length);
  if (!Read(at, length, spill_.data())) {
    why = HiveProblem::OffsetOutside;
    return false;
  }
  out = {spill_.data(), length};
  return true;
}

bool HiveImage::ReadCell(std::uint32_t offset, std::size_t want, std::vector<std::uint8_t>& out, HiveProblem& why) {
  HiveSpan span;
  if (!CellSpan(offset, want, span, why)) return false;
  out.assign(span.data, span.data + span.size);
  return true;
}

}  // namespace engine
