#include "qmscan/linux/PosixHostFile.h"

#include <fcntl.h>
#include <sys/random.h>
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

namespace {

// The temporary file's name: unguessable, so that nothing is planted there
// first; it is created only where nothing has the name in any case.
std::string TemporaryName() {
  unsigned char random[12] = {};
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return {};
  std::string name = ".qmscan-";
  for (unsigned char byte : random) name += "0123456789abcdef"[byte >> 4], name += "0123456789abcdef"[byte & 15];
  return name + ".tmp";
}

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) == 0;
}

// The file now at name is the one written through fd (nothing swapped
// the temporary file between its writing and its renaming).
bool SameFile(int folder, const std::string& name, int fd) {
  struct stat placed {}, written {};
  return ::fstatat(folder, name.c_str(), &placed, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &written) == 0 &&
         placed.st_dev == written.st_dev && placed.st_ino == written.st_ino;
}

}  // namespace

std::uint32_t ReplaceFileWith(const std::wstring& path, const std::string& bytes) {
  const std::string native = utf8text::ToUtf8(path);
  if (native.empty() || utf8text::FromUtf8(native) != path || native.back() == '/') return EINVAL;
  const std::size_t slash = native.rfind('/');
  const std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
  const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
  const engine::UniqueFd folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return static_cast<std::uint32_t>(errno);
  std::string temporary;
  engine::UniqueFd file;
  for (int attempt = 0; attempt < 4 && !file; ++attempt) {
    temporary = TemporaryName();
    if (temporary.empty()) return EIO;
    file = engine::UniqueFd(::openat(folder.Get(), temporary.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!file && errno != EEXIST) return static_cast<std::uint32_t>(errno);
  }
  if (!file) return EEXIST;
  if (!WriteAll(file.Get(), bytes) || ::renameat(folder.Get(), temporary.c_str(), folder.Get(), name.c_str()) != 0) {
    const int error = errno != 0 ? errno : EIO;
    ::unlinkat(folder.Get(), temporary.c_str(), 0);
    return static_cast<std::uint32_t>(error);
  }
  ::fsync(folder.Get());
  return SameFile(folder.Get(), name, file.Get()) ? 0 : EXDEV;
}

}  // namespace qmscan
