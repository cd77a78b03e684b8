// The image's folder on a POSIX system: every name opened relative to the
// folder above it, without following a link, and checked to be the plain
// file or folder that was looked at.
#include "engine/files/ImageFileSource.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/files/PosixFile.h"
#include "ozcore/Utf8Text.h"

namespace engine {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// A name on disk and the Windows name it stands for.
using NamePair = std::pair<std::string, std::wstring>;

// The Windows name of a name on disk: none when it is not UTF-8 (it could
// not be asked for again) or holds a "\" (a Windows path would split it).
std::optional<std::wstring> WindowsName(const std::string& native) {
  std::wstring name = utf8text::FromUtf8(native);
  if (utf8text::ToUtf8(name) != native || name.find(L'\\') != std::wstring::npos) return std::nullopt;
  return name;
}

// The names in a folder that have a Windows name, in the order of their
// bytes; at most FileSource::kMaxFolderEntries are read.
std::vector<NamePair> FolderNames(int folder) {
  std::vector<NamePair> names;
  UniqueFd own(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!own) return names;
  UniqueDir dir(::fdopendir(own.Get()));
  if (!dir) return names;
  own.Release();  // the folder stream has it now
  std::size_t read = 0;
  while (read++ < FileSource::kMaxFolderEntries) {
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) break;
    const std::string native = entry->d_name;
    if (native == "." || native == "..") continue;
    if (auto name = WindowsName(native)) names.emplace_back(native, std::move(*name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsWanted(const struct stat& info, bool folder) { return folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode); }

// The entry native of folder, opened when it is the kind wanted and not a
// link; O_NONBLOCK so that a pipe put there in its place cannot hold the
// open, and what was opened is checked to be what was looked at.
UniqueFd OpenEntry(int folder, const std::string& native, bool wantFolder, struct stat& info) {
  struct stat seen {};
  if (::fstatat(folder, native.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !IsWanted(seen, wantFolder)) return {};
  const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (wantFolder ? O_DIRECTORY : 0);
  UniqueFd fd(::openat(folder, native.c_str(), flags));
  if (!fd || ::fstat(fd.Get(), &info) != 0 || !IsWanted(info, wantFolder) || info.st_dev != seen.st_dev ||
      info.st_ino != seen.st_ino)
    return {};
  return fd;
}

// The entry a Windows name stands for: as written when there is one, else
// the name that differs only in letter case.
UniqueFd OpenChild(int folder, const std::wstring& name, bool wantFolder, struct stat& info) {
  std::string native = utf8text::ToUtf8(name);
  if (utf8text::FromUtf8(native) != name) return {};  // a lone surrogate names nothing on disk
  struct stat seen {};
  if (::fstatat(folder, native.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return {};
    const std::vector<NamePair> names = FolderNames(folder);
    std::vector<std::wstring> windowsNames;
    for (const auto& pair : names) windowsNames.push_back(pair.second);
    const auto match = imagepath::MatchingName(windowsNames, name);
    if (!match) return {};
    native = names[*match].first;
  }
  return OpenEntry(folder, native, wantFolder, info);
}

// 100-nanosecond intervals since 1601 of a POSIX time; 0 before that.
std::uint64_t WindowsTime(std::int64_t seconds, std::int64_t nanoseconds) {
  constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
  if (seconds < -kSecondsFrom1601To1970) return 0;
  return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * 10000000u +
         static_cast<std::uint64_t>(nanoseconds / 100);
}

}  // namespace

class ImageFileSource::Folder {
 public:
  explicit Folder(UniqueFd fd) : fd_(std::move(fd)) {}

  // The folder of parts [0, count), each opened from the one before.
  UniqueFd Walk(const std::vector<std::wstring>& parts, std::size_t count) const {
    if (!fd_) return {};
    UniqueFd folder(::openat(fd_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    for (std::size_t i = 0; i < count && folder; ++i) folder = OpenChild(folder.Get(), parts[i], true, info);
    return folder;
  }

  UniqueFd PlainFile(const std::wstring& path, struct stat& info) const {
    const auto parts = imagepath::DriveParts(path);
    if (!parts || parts->empty()) return {};
    const UniqueFd folder = Walk(*parts, parts->size() - 1);
    if (!folder) return {};
    return OpenChild(folder.Get(), parts->back(), false, info);
  }

 private:
  UniqueFd fd_;
};

ImageFileSource::ImageFileSource(const std::filesystem::path& root)
    : root_(std::make_unique<Folder>(UniqueFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)))) {}

ImageFileSource::~ImageFileSource() = default;

std::optional<FileStat> ImageFileSource::Facts(const std::wstring& path) {
  struct stat info {};
  const UniqueFd file = root_->PlainFile(path, info);
  if (!file) return std::nullopt;
  FileStat stat;
  stat.size = static_cast<std::uint64_t>(info.st_size);
  stat.times.lastWrite = WindowsTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  struct statx extended {};
  if (::statx(file.Get(), "", AT_EMPTY_PATH, STATX_BTIME, &extended) == 0 && (extended.stx_mask & STATX_BTIME))
    stat.times.creation = WindowsTime(extended.stx_btime.tv_sec, extended.stx_btime.tv_nsec);
  return stat;
}

std::unique_ptr<OpenFile> ImageFileSource::Open(const std::wstring& path) {
  struct stat info {};
  UniqueFd file = root_->PlainFile(path, info);
  if (!file) return nullptr;
  return OpenFileOver(std::move(file), static_cast<std::uint64_t>(info.st_size));
}

std::optional<std::vector<FolderEntry>> ImageFileSource::List(const std::wstring& folder) {
  const auto parts = imagepath::DriveParts(folder);
  if (!parts) return std::nullopt;
  const UniqueFd opened = root_->Walk(*parts, parts->size());
  if (!opened) return std::nullopt;
  std::vector<FolderEntry> entries;
  for (const auto& [native, name] : FolderNames(opened.Get())) {
    struct stat info {};
    // A link, a device or a pipe is neither a file nor a folder here.
    if (::fstatat(opened.Get(), native.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(info.st_mode) || S_ISREG(info.st_mode)) entries.push_back(FolderEntry{name, S_ISDIR(info.st_mode)});
  }
  return entries;
}

}  // namespace engine
