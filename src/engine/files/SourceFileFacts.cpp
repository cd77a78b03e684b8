#include "engine/files/SourceFileFacts.h"

#include <algorithm>
#include <cwchar>

#include "engine/files/IndirectStringText.h"
#include "ozcore/CaseFold.h"
#include "ozcore/EnvText.h"
#include "ozcore/PathText.h"

namespace engine {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A name the system looks for along the search folders: one that names no
// drive, root or current folder of its own.
bool IsSearchedName(const std::wstring& name) {
  if (name.empty() || IsSeparator(name[0]) || (name.size() >= 2 && name[1] == L':')) return false;
  if (name[0] != L'.') return true;
  if (name.size() == 1 || IsSeparator(name[1])) return false;
  return !(name[1] == L'.' && (name.size() == 2 || IsSeparator(name[2])));
}

std::unordered_map<std::wstring, std::wstring> Folded(const std::map<std::wstring, std::wstring>& variables) {
  std::unordered_map<std::wstring, std::wstring> folded;
  for (const auto& [name, value] : variables) folded.emplace(FoldCase(name), value);
  return folded;
}

}  // namespace

SourceFileFacts::SourceFileFacts(FileSource& files, SystemDescription system)
    : files_(files),
      system_(std::move(system)),
      variables_(Folded(system_.environment)),
      variables32_(Folded(system_.environment32)) {
  // Only folders the source may be asked about are searched.
  std::vector<std::wstring> folders;
  for (const auto& folder : system_.searchFolders) {
    std::wstring checked = CheckedPath(Expand(folder, false));
    if (!checked.empty()) folders.push_back(std::move(checked));
  }
  system_.searchFolders = std::move(folders);
}

std::optional<std::wstring> SourceFileFacts::Variable(const std::wstring& name, bool as32BitProcess) const {
  const auto find = [](const auto& table, const std::wstring& key) -> std::optional<std::wstring> {
    const auto it = table.find(FoldCase(key));
    if (it == table.end()) return std::nullopt;
    return it->second;
  };
  if (As32(as32BitProcess)) {
    if (auto value = find(variables32_, name)) return value;
    if (auto fixed = envtext::Wow32FixedValue(name)) return fixed;
    const std::wstring twin = envtext::Wow32Variable(name);
    if (!twin.empty())
      if (auto value = find(variables_, twin)) return value;
  }
  return find(variables_, name);
}

std::wstring SourceFileFacts::Expand(const std::wstring& text, bool as32BitProcess) {
  return envtext::Expand(text, [&](const std::wstring& name) { return Variable(name, as32BitProcess); });
}

PathKind SourceFileFacts::Kind(const std::wstring& fileString) { return discovery::ClassifyPath(fileString); }

std::wstring SourceFileFacts::CheckedPath(const std::wstring& path) const {
  if (discovery::ClassifyPath(path) != PathKind::Local) return {};
  const std::optional<std::wstring> full = FullDrivePath(path);
  if (!full || discovery::ClassifyPath(*full) != PathKind::Local) return {};
  // A character no Windows file name holds: the system would refuse it.
  if (std::any_of(full->begin(), full->end(), [](wchar_t c) { return c < 0x20 || std::wcschr(L"\"<>|*?", c); }))
    return {};
  if (!files_.HoldsDrive(discovery::PathDriveLetter(*full))) return {};
  return *full;
}

std::wstring SourceFileFacts::Search(const std::wstring& name) {
  if (discovery::ClassifyPath(name) != PathKind::Local) return {};
  if (discovery::IsDriveAbsolutePath(name)) {
    const std::wstring path = CheckedPath(name);
    return !path.empty() && files_.Facts(path) ? path : std::wstring();
  }
  if (!IsSearchedName(name)) return {};
  for (const auto& folder : system_.searchFolders) {
    const std::wstring path = CheckedPath(folder + L"\\" + name);
    if (!path.empty() && files_.Facts(path)) return path;
  }
  return {};
}

std::wstring SourceFileFacts::Resolve(const std::wstring& fileString, bool as32BitProcess) {
  const bool as32 = As32(as32BitProcess);
  auto& cache = as32 ? resolved32_ : resolved_;
  if (const auto it = cache.find(fileString); it != cache.end()) return it->second;
  const FileStringCalls calls{[this](const std::wstring& text, bool as32Bit) { return Expand(text, as32Bit); },
                              &discovery::ClassifyPath,
                              [this](const std::wstring& name) { return Search(name); }};
  return cache.emplace(fileString, ResolveFileString(fileString, as32, calls)).first->second;
}

bool SourceFileFacts::Exists(const std::wstring& path) {
  const std::wstring checked = CheckedPath(path);
  return !checked.empty() && files_.Facts(checked).has_value();
}

CStringDictionary SourceFileFacts::VersionStrings(const std::wstring& file) {
  const std::wstring checked = CheckedPath(file);
  if (checked.empty()) return CStringDictionary();
  return engine::VersionStrings(files_, checked, system_.languages);
}

std::wstring SourceFileFacts::IndirectString(const std::wstring& text, bool as32BitProcess) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!discovery::ParseIndirectString(text, file, number)) return text;
  const std::wstring path = Search(Expand(file, As32(as32BitProcess)));
  if (path.empty()) return text;
  const auto loaded = IndirectResourceString(files_, path, number, system_.languages, system_.languageNames);
  return loaded ? *loaded : text;
}

std::wstring SourceFileFacts::SystemFolder(bool as32BitProcess) {
  return As32(as32BitProcess) ? system_.systemFolder32 : system_.systemFolder;
}

std::wstring SourceFileFacts::SignatureText(const std::wstring& file) {
  if (!system_.checkSignature) return system_.signatureText;
  const std::wstring checked = CheckedPath(file);
  const auto open = checked.empty() ? nullptr : files_.Open(checked);
  return system_.checkSignature(open.get());
}

std::unique_ptr<OpenFile> SourceFileFacts::OpenForReading(const std::wstring& file) {
  const std::wstring path = CheckedPath(file);
  return path.empty() ? nullptr : files_.Open(path);
}

std::wstring ResolveFileString(const std::wstring& input, bool as32BitProcess, const FileStringCalls& calls) {
  if (input.empty()) return {};
  std::wstring name = input;
  if (name.compare(0, 4, L"\\??\\") == 0) name.erase(0, 4);
  if (as32BitProcess) name = calls.expand(name, true);
  // Classified as the search will read it; kept as written when refused.
  if (calls.kind(calls.expand(name, false)) != PathKind::Local || calls.kind(input) != PathKind::Local) return input;
  // The second search only when the text differs from the first: the same
  // search again could find nothing new.
  const std::wstring searchName = calls.expand(pathtext::UnquotedFileName(name), false);
  std::wstring found = calls.search(searchName);
  if (found.empty() && searchName != name) found = calls.search(name);
  return found.empty() ? name : found;
}

std::vector<std::wstring> PathTextFolders(const std::wstring& pathText) {
  std::vector<std::wstring> folders;
  std::size_t start = 0;
  while (start <= pathText.size()) {
    const auto end = std::min(pathText.find(L';', start), pathText.size());
    std::wstring folder = pathText.substr(start, end - start);
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
      folder = folder.substr(1, folder.size() - 2);
    // A folder the search list cannot carry is left out.
    if (!folder.empty() && folder.find_first_of(L";\"") == std::wstring::npos) folders.push_back(std::move(folder));
    start = end + 1;
  }
  return folders;
}

std::optional<std::wstring> FullDrivePath(const std::wstring& path) {
  if (!discovery::IsDriveAbsolutePath(path) || path.find(L'\0') != std::wstring::npos) return std::nullopt;
  const std::size_t drive = path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\??\\") == 0 ? 4 : 0;
  std::vector<std::wstring> parts;
  std::size_t at = drive + 3;
  while (at <= path.size()) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::wstring part = path.substr(at, end - at);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != L".") {
      // The system drops a name's trailing dots and spaces.
      const auto kept = part.find_last_not_of(L". ");
      part.erase(kept == std::wstring::npos ? 0 : kept + 1);
      if (!part.empty()) parts.push_back(std::move(part));
    }
    at = end + 1;
  }
  std::wstring full = path.substr(drive, 2) + L"\\";
  for (std::size_t i = 0; i < parts.size(); ++i) full += (i == 0 ? L"" : L"\\") + parts[i];
  return full;
}

std::optional<std::wstring> IndirectResourceString(FileSource& files, const std::wstring& path, std::uint32_t number,
                                                   const LanguageOrder& languages,
                                                   const std::vector<std::wstring>& languageNames) {
  auto loaded = ResourceString(files, path, number, languages);
  if (loaded && !loaded->empty()) return loaded;
  // A system file keeps its texts in a language file beside it.
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::nullopt;
  for (const auto& name : languageNames) {
    const std::wstring satellite = path.substr(0, slash + 1) + name + L"\\" + path.substr(slash + 1) + L".mui";
    loaded = ResourceString(files, satellite, number, languages);
    if (loaded && !loaded->empty()) return loaded;
  }
  return std::nullopt;
}

}  // namespace engine
