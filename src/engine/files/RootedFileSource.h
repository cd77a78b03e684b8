#pragma once
// An image's drive C: as a folder of this machine, read through this
// machine's own file source: "C:\a\b" is "<root>\a\b". The inner source's
// rules hold (on Windows: local paths only, no link followed, on the way
// or at the file), and only paths imagepath::DriveParts accepts are
// mapped, so nothing above the root is reached. Platform-free.
#include <memory>
#include <string>

#include "engine/files/FileSource.h"

namespace engine {

class RootedFileSource final : public FileSource {
 public:
  // inner must outlive this source; root is a full path without a
  // trailing separator.
  RootedFileSource(engine::FileSource& inner, std::wstring root) : inner_(inner), root_(std::move(root)) {}

  std::optional<engine::FileStat> Facts(const std::wstring& path) override;
  std::unique_ptr<engine::OpenFile> Open(const std::wstring& path) override;
  std::optional<std::vector<engine::FolderEntry>> List(const std::wstring& folder) override;
  bool HoldsDrive(wchar_t letter) const override;

  // The inner path of an image path; empty when it maps to none.
  std::wstring Inner(const std::wstring& path) const;

 private:
  engine::FileSource& inner_;
  std::wstring root_;
};

}  // namespace engine
