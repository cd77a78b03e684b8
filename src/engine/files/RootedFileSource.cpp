#include "engine/files/RootedFileSource.h"

#include "engine/files/ImageFileSource.h"

namespace engine {

std::wstring RootedFileSource::Inner(const std::wstring& path) const {
  const auto parts = engine::imagepath::DriveParts(path);
  if (!parts) return {};
  std::wstring inner = root_;
  for (const auto& part : *parts) inner += L"\\" + part;
  return inner;
}

std::optional<engine::FileStat> RootedFileSource::Facts(const std::wstring& path) {
  const std::wstring inner = Inner(path);
  if (inner.empty()) return std::nullopt;
  return inner_.Facts(inner);
}

std::unique_ptr<engine::OpenFile> RootedFileSource::Open(const std::wstring& path) {
  const std::wstring inner = Inner(path);
  return inner.empty() ? nullptr : inner_.Open(inner);
}

std::optional<std::vector<engine::FolderEntry>> RootedFileSource::List(const std::wstring& folder) {
  const std::wstring inner = Inner(folder);
  if (inner.empty()) return std::nullopt;
  return inner_.List(inner);
}

bool RootedFileSource::HoldsDrive(wchar_t letter) const { return letter == engine::ImageFileSource::kDrive; }

}  // namespace engine
