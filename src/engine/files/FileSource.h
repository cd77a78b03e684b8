#pragma once
// The files the engine reads: the running machine's, a disk image's, or
// files held in memory. Only reads. Paths are Windows paths ("C:\x\y.dll"),
// counted: a NUL is part of the name. A source never follows a link where
// that could send a read somewhere else: a link is neither a file nor a
// folder to it. Platform-free.
#include <algorithm>
#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace engine {

// 100-nanosecond intervals since 1601, as the file system keeps them.
struct FileTimes {
  std::uint64_t creation = 0;
  std::uint64_t lastWrite = 0;
};

struct FileStat {
  std::uint64_t size = 0;
  FileTimes times;
};

struct FolderEntry {
  std::wstring name;
  bool isFolder = false;
};

// The most one read hands back: every reader asks for a bounded part.
constexpr std::size_t kMaxFileReadBytes = 16 * 1024 * 1024;

// Which file, in which state, was read. Path, size and write time can
// all be set by whoever may write the file; the file id follows the file
// rather than its name, and the change time moves with every change (only
// a deliberate low-level call sets it back, which is why what is kept by
// identity lasts one run of the program, never longer).
struct FileIdentity {
  std::uint64_t volume = 0;
  std::array<std::uint8_t, 16> fileId{};
  std::uint64_t size = 0;
  std::int64_t changeTime = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// File digests kept from earlier listings by path, each with the identity
// the file had before it was read: one is used again only while the path
// names the same file in the same state.
struct KeptDigests {
  std::unordered_map<std::wstring, std::pair<FileIdentity, std::wstring>> byPath;
};

// A plain file opened for reading; it stays the same file while open.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  virtual std::uint64_t Size() const = 0;
  // The file's identity now; nothing where the source cannot tell (then
  // nothing read from it is kept for a later listing).
  virtual std::optional<FileIdentity> Identity() const { return std::nullopt; }
  // Up to length bytes from offset: fewer at the end of the file, none past
  // it. Nothing when the read fails or length is over kMaxFileReadBytes.
  virtual std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t length) = 0;
  // Exactly length bytes (at most kMaxFileReadBytes) from offset into out;
  // false when fewer are there or the read fails. A source that can read
  // into the caller's memory overrides it and saves a copy.
  virtual bool ReadInto(std::uint64_t offset, std::size_t length, std::uint8_t* out) {
    const auto bytes = Read(offset, length);
    if (!bytes || bytes->size() != length) return false;
    std::copy(bytes->begin(), bytes->end(), out);
    return true;
  }
};

class FileSource {
 public:
  virtual ~FileSource() = default;
  // The size and times of a plain file; nothing for a folder, a link, a
  // missing file or a path the source refuses.
  virtual std::optional<FileStat> Facts(const std::wstring& path) = 0;
  // A plain file opened for reading; null where Facts gives nothing.
  virtual std::unique_ptr<OpenFile> Open(const std::wstring& path) = 0;
  // The names in a folder (without "." and ".."), at most kMaxFolderEntries
  // in the source's order; nothing for a missing, linked or refused folder.
  // A name the folder marks as a link is left out; what a name really is,
  // is checked when it is opened.
  virtual std::optional<std::vector<FolderEntry>> List(const std::wstring& folder) = 0;
  // Whether paths on drive letter ("A" to "Z") are the source's to answer:
  // a path on any other drive is never asked of it. The running machine
  // holds every drive letter.
  virtual bool HoldsDrive(wchar_t letter) const { return letter >= L'A' && letter <= L'Z'; }

  static constexpr std::size_t kMaxFolderEntries = 100000;
};

}  // namespace engine
