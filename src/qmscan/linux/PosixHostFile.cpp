#include "qmscan/linux/PosixHostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/Strings.h"
#include "inventory/InventoryRead.h"
#include "ozcore/Utf8Text.h"

namespace qmscan {

namespace {

constexpr std::uint64_t kMaxListingBytes = 256ull * 1024 * 1024;

class HostFile final : public engine::OpenFile {
 public:
  HostFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~HostFile() override { ::close(fd_); }
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  std::uint64_t Size() const override { return size_; }
  std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t length) override {
    if (length > engine::kMaxFileReadBytes) return std::nullopt;
    if (offset >= size_) return std::vector<std::uint8_t>();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      const ssize_t n =
          ::pread(fd_, bytes.data() + filled, bytes.size() - filled, static_cast<off_t>(offset + filled));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return std::nullopt;
      if (n == 0) break;  // shorter than it was a moment ago
      filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

// A plain file's descriptor and size; -1 and errno set otherwise.
// O_NONBLOCK: a pipe put at the name cannot hold the open.
int OpenPlain(const std::wstring& path, std::uint64_t& size) {
  const std::string native = utf8text::ToUtf8(path);
  if (native.empty() || utf8text::FromUtf8(native) != path) {
    errno = ENOENT;
    return -1;
  }
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return fd;
}

}  // namespace

std::unique_ptr<engine::OpenFile> OpenHostFile(const std::wstring& path) {
  std::uint64_t size = 0;
  const int fd = OpenPlain(path, size);
  if (fd < 0) return nullptr;
  return std::make_unique<HostFile>(fd, size);
}

std::optional<std::wstring> ReadListingFile(const std::wstring& path, std::wstring& reason) {
  std::uint64_t size = 0;
  const int fd = OpenPlain(path, size);
  if (fd < 0) {
    reason = utf8text::FromUtf8(std::strerror(errno));
    return std::nullopt;
  }
  HostFile file(fd, size);
  if (size > kMaxListingBytes) {
    reason = LoadStr(IDS_QMSCAN_LISTING_TOO_LARGE);
    return std::nullopt;
  }
  std::string bytes;
  for (std::uint64_t at = 0; at < size;) {
    const auto piece = file.Read(at, engine::kMaxFileReadBytes);
    if (!piece || piece->empty()) break;
    bytes.append(piece->begin(), piece->end());
    at += piece->size();
  }
  auto text = inventory::DecodeUtf8(bytes);
  if (!text) reason = LoadStr(IDS_QMSCAN_LISTING_NOT_UTF8);
  return text;
}

}  // namespace qmscan
