#pragma once
// The bytes of a hive file or of one of its logs, read by ranges: a hive of
// any size is read where it is needed, never copied whole. Platform-free.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace engine {

class HiveBytes {
 public:
  virtual ~HiveBytes() = default;
  virtual std::uint64_t Size() const = 0;
  // Exactly length bytes from offset into out; false when any of them lies
  // past the end or the read fails.
  virtual bool Read(std::uint64_t offset, std::size_t length, std::uint8_t* out) = 0;
  // All the bytes, when they are in memory already (read in place rather
  // than through the reader's cache); null otherwise.
  virtual const std::uint8_t* InMemory() const { return nullptr; }
};

// Bytes held in memory (tests, fuzzing, small files).
class MemoryHiveBytes final : public HiveBytes {
 public:
  explicit MemoryHiveBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::size_t length, std::uint8_t* out) override {
    if (offset > bytes_.size() || length > bytes_.size() - offset) return false;
    if (length > 0) std::memcpy(out, bytes_.data() + offset, length);
    return true;
  }
  const std::uint8_t* InMemory() const override { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A file opened by a file source (engine::OpenFile, or anything with
// Size() and ReadInto(offset, length, out)), so a hive
// is read with that source's rules on links and paths.
template <class File>
class HiveBytesOver final : public HiveBytes {
 public:
  explicit HiveBytesOver(std::unique_ptr<File> file) : file_(std::move(file)) {}
  std::uint64_t Size() const override { return file_->Size(); }
  bool Read(std::uint64_t offset, std::size_t length, std::uint8_t* out) override {
    const std::uint64_t size = file_->Size();
    if (offset > size || length > size - offset) return false;
    while (length > 0) {
      const std::size_t piece = std::min<std::size_t>(length, kPieceBytes);
      if (!file_->ReadInto(offset, piece, out)) return false;
      out += piece;
      offset += piece;
      length -= piece;
    }
    return true;
  }

 private:
  static constexpr std::size_t kPieceBytes = 1024 * 1024;
  std::unique_ptr<File> file_;
};

// All of a file's bytes read into memory at once, so that the file is held
// open only while they are read (a hive the system may load at any moment
// must not find it taken); null when the file is larger than maxBytes or a
// read fails.
template <class File>
std::unique_ptr<HiveBytes> CopiedHiveBytes(File& file, std::uint64_t maxBytes) {
  const std::uint64_t size = file.Size();
  if (size > maxBytes) return nullptr;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  constexpr std::size_t kPieceBytes = 1024 * 1024;
  while (bytes.size() < size) {
    const auto piece = file.Read(bytes.size(), static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, size - bytes.size())));
    if (!piece || piece->empty()) return nullptr;
    bytes.insert(bytes.end(), piece->begin(), piece->end());
  }
  bytes.resize(static_cast<std::size_t>(size));
  return std::make_unique<MemoryHiveBytes>(std::move(bytes));
}

}  // namespace engine
