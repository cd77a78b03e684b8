#include "qmscan/linux/PosixHostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/Strings.h"
#include "engine/files/PosixFile.h"
#include "inventory/InventoryRead.h"
#include "ozcore/Utf8Text.h"

namespace qmscan {

namespace {

constexpr std::uint64_t kMaxListingBytes = 256ull * 1024 * 1024;

// A plain file opened for reading; null and errno set otherwise.
// O_NONBLOCK: a pipe put at the name cannot hold the open.
std::unique_ptr<engine::OpenFile> OpenPlain(const std::wstring& path) {
  const std::string native = utf8text::ToUtf8(path);
  if (native.empty() || utf8text::FromUtf8(native) != path) {
    errno = ENOENT;
    return nullptr;
  }
  engine::UniqueFd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd) return nullptr;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    errno = EINVAL;
    return nullptr;
  }
  return engine::OpenFileOver(std::move(fd), static_cast<std::uint64_t>(info.st_size));
}

}  // namespace

std::unique_ptr<engine::OpenFile> OpenHostFile(const std::wstring& path) { return OpenPlain(path); }

std::optional<std::wstring> ReadListingFile(const std::wstring& path, std::wstring& reason) {
  const auto file = OpenPlain(path);
  if (!file) {
    reason = utf8text::FromUtf8(std::strerror(errno));
    return std::nullopt;
  }
  const std::uint64_t size = file->Size();
  if (size > kMaxListingBytes) {
    reason = LoadStr(IDS_QMSCAN_LISTING_TOO_LARGE);
    return std::nullopt;
  }
  std::string bytes;
  for (std::uint64_t at = 0; at < size;) {
    const auto piece = file->Read(at, engine::kMaxFileReadBytes);
    if (!piece || piece->empty()) break;
    bytes.append(piece->begin(), piece->end());
    at += piece->size();
  }
  auto text = inventory::DecodeUtf8(bytes);
  if (!text) reason = LoadStr(IDS_QMSCAN_LISTING_NOT_UTF8);
  return text;
}

}  // namespace qmscan
