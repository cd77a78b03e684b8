#include "engine/files/ImageFileSource.h"

#include "engine/files/PathKind.h"
#include "ozcore/CaseFold.h"

namespace engine::imagepath {

std::optional<std::vector<std::wstring>> DriveParts(const std::wstring& path) {
  if (path.find(L'\0') != std::wstring::npos || !discovery::IsDriveAbsolutePath(path)) return std::nullopt;
  if (discovery::ClassifyPath(path) != discovery::PathKind::Local) return std::nullopt;
  if (discovery::PathDriveLetter(path) != ImageFileSource::kDrive) return std::nullopt;
  const std::size_t start = path.compare(0, 2, L"\\\\") == 0 || path.compare(0, 4, L"\\??\\") == 0 ? 7 : 3;
  std::vector<std::wstring> parts;
  std::wstring part;
  for (std::size_t i = start; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\' && path[i] != L'/') {
      part.push_back(path[i]);
      continue;
    }
    if (part == L"." || part == L"..") return std::nullopt;
    if (!part.empty()) parts.push_back(std::move(part));
    part.clear();
  }
  return parts;
}

std::optional<std::size_t> MatchingName(const std::vector<std::wstring>& names, const std::wstring& wanted) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == wanted) return i;
  const std::wstring folded = FoldCase(wanted);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (FoldCase(names[i]) == folded) return i;
  return std::nullopt;
}

}  // namespace engine::imagepath
