#pragma once
// The files of a system that is not running: a folder (a disk image
// mounted or extracted) stands for its system drive, "C:\". A path maps to
// a place inside that folder only: no ".." part, no other drive, no network
// or device path, and no symbolic link or junction followed, on the way or
// at the file. Names are found without regard to letter case, also on a
// file system that tells case apart: the exact name first, else the first,
// in the order of the names' bytes, that differs from it only in case.
// Files are read, never written.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/files/FileSource.h"

namespace engine {

class ImageFileSource final : public FileSource {
 public:
  // root: the folder standing for "C:\" (a link at root itself is the
  // caller's choice and followed). Answers nothing when it cannot be opened.
  explicit ImageFileSource(const std::filesystem::path& root);
  ~ImageFileSource() override;

  std::optional<FileStat> Facts(const std::wstring& path) override;
  std::unique_ptr<OpenFile> Open(const std::wstring& path) override;
  // Names are given in the order of their bytes; a name that cannot be
  // asked for again by a Windows path is left out with the links.
  std::optional<std::vector<FolderEntry>> List(const std::wstring& folder) override;
  bool HoldsDrive(wchar_t letter) const override { return letter == kDrive; }

  static constexpr wchar_t kDrive = L'C';

  // The platform's folder; opened once, held while the source lives.
  class Folder;

 private:
  std::unique_ptr<Folder> root_;
};

namespace imagepath {

// The names of a path on the image's drive: "C:\a\b", "c:/a//b\" and
// "\\?\C:\a\b" give {"a", "b"}, "C:\" none. Nothing for any other path: a
// drive other than kDrive, a relative, network or device path, a NUL, or a
// "." or ".." part.
std::optional<std::vector<std::wstring>> DriveParts(const std::wstring& path);

// The one of names (in a stable order) that stands for wanted: the exact
// name, else the first that differs from it only in letter case.
std::optional<std::size_t> MatchingName(const std::vector<std::wstring>& names, const std::wstring& wanted);

}  // namespace imagepath

}  // namespace engine
