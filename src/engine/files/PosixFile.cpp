#include "engine/files/PosixFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace engine {

void UniqueFd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

class PosixOpenFile final : public OpenFile {
 public:
  PosixOpenFile(UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t length) override {
    if (length > kMaxFileReadBytes) return std::nullopt;
    if (offset >= size_) return std::vector<std::uint8_t>();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)));
    const auto filled = Fill(offset, bytes.size(), bytes.data());
    if (!filled) return std::nullopt;
    bytes.resize(*filled);
    return bytes;
  }
  bool ReadInto(std::uint64_t offset, std::size_t length, std::uint8_t* out) override {
    if (length > kMaxFileReadBytes || offset > size_ || length > size_ - offset) return false;
    const auto filled = Fill(offset, length, out);
    return filled && *filled == length;
  }

 private:
  // Reads up to length bytes straight into out; how many there were.
  std::optional<std::size_t> Fill(std::uint64_t offset, std::size_t length, std::uint8_t* out) {
    std::size_t filled = 0;
    while (filled < length) {
      const ssize_t n = ::pread(fd_.Get(), out + filled, length - filled, static_cast<off_t>(offset + filled));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return std::nullopt;
      if (n == 0) break;  // shorter than it was a moment ago
      filled += static_cast<std::size_t>(n);
    }
    return filled;
  }

  UniqueFd fd_;
  std::uint64_t size_;
};

}  // namespace

std::unique_ptr<OpenFile> OpenFileOver(UniqueFd fd, std::uint64_t size) {
  return std::make_unique<PosixOpenFile>(std::move(fd), size);
}

}  // namespace engine
