#include "engine/files/FileGate.h"

#include "ozcore/FileCalls.h"

#include <windows.h>

#include <array>
#include <cstdint>

#include "engine/files/IndirectString.h"
#include "engine/files/IndirectStringText.h"
#include "engine/files/LiveFileSource.h"
#include "engine/files/PeResources.h"
#include "engine/files/SourceFileFacts.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CUtilities.h"

namespace discovery {

std::atomic<FileGate::Observer*> FileGate::observer_{nullptr};

namespace {

// How long a drive's type is trusted. Asking is slow on some systems, and a
// listing asks for every file; a drive mapped since is seen soon after.
constexpr ULONGLONG kDriveTypeLifetimeMs = 2000;


// The type of each drive letter, asked once in a while.
class DriveTypes {
 public:
  UINT Of(wchar_t letter) {
    const std::size_t i = static_cast<std::size_t>(letter - L'A');
    if (i >= entries_.size()) return DRIVE_UNKNOWN;
    const ULONGLONG now = GetTickCount64();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const Entry& e = entries_[i];
      if (e.known && now - e.at < kDriveTypeLifetimeMs) return e.type;
    }
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    // A letter without a drive may be mapped at any moment: asked again.
    if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR) {
      std::lock_guard<std::mutex> lock(mutex_);
      entries_[i] = {type, now, true};
    }
    return type;
  }

 private:
  struct Entry {
    UINT type = DRIVE_UNKNOWN;
    ULONGLONG at = 0;
    bool known = false;
  };
  std::mutex mutex_;
  std::array<Entry, 26> entries_{};
};

DriveTypes& Drives() {
  static DriveTypes drives;
  return drives;
}

std::wstring FullPath(const std::wstring& path) {
  return filecalls::FilledText([&](wchar_t* buf, DWORD size) { return GetFullPathNameW(path.c_str(), size, buf, nullptr); });
}

// The kind of a path about to be handed over: its full form counts too, so
// that "..\" steps, a current folder on a share or a device name the
// system finds in the last part are seen.
PathKind CheckedKind(const std::wstring& path) {
  const PathKind kind = FileGate::Kind(path);
  if (kind != PathKind::Local) return kind;
  const std::wstring full = FullPath(path);
  if (full.empty()) return PathKind::Device;  // not a path the system can read: not opened
  return FileGate::Kind(full);
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return CFileSystem::ParentFolder(path);
    }
    path.assign(path.size() * 4, L'\0');
  }
  return {};
}

// The folders of the system's search for a file, in its order with the
// current folder after the system's own (the safe order), every one local.
std::vector<std::wstring> SearchFolders() {
  const std::wstring windows = CUtilities::WindowsFolder();
  std::vector<std::wstring> candidates = {
      ProgramFolder(),
      filecalls::FilledText([](wchar_t* buf, DWORD size) { return GetSystemDirectoryW(buf, size); }),
      windows.empty() ? std::wstring() : windows + L"\\System",
      windows,
      filecalls::FilledText([](wchar_t* buf, DWORD size) { return GetCurrentDirectoryW(size, buf); }),
  };
  const std::wstring path = filecalls::FilledText([](wchar_t* buf, DWORD size) { return GetEnvironmentVariableW(L"PATH", buf, size); });
  for (auto& folder : engine::PathTextFolders(path)) candidates.push_back(std::move(folder));
  std::vector<std::wstring> folders;
  for (const auto& folder : candidates) {
    // A folder the search list cannot carry, or one not on this machine,
    // is left out.
    if (folder.empty() || folder.find_first_of(L";\"") != std::wstring::npos) continue;
    if (CheckedKind(folder) == PathKind::Local) folders.push_back(FullPath(folder));
  }
  return folders;
}

std::wstring JoinedFolders(const std::vector<std::wstring>& folders) {
  std::wstring list;
  for (const auto& folder : folders) {
    if (!list.empty()) list.push_back(L';');
    list += folder;
  }
  return list;
}

}  // namespace

PathKind FileGate::Kind(const std::wstring& fileString) {
  const PathKind kind = ClassifyPath(fileString);
  if (kind != PathKind::Local) return kind;
  const wchar_t drive = PathDriveLetter(fileString);
  if (drive != 0 && Drives().Of(drive) == DRIVE_REMOTE) return PathKind::Network;
  return PathKind::Local;
}

std::wstring FileGate::Search(const std::wstring& name) {
  if (name.empty() || Kind(name) != PathKind::Local) return {};
  const bool hasFolder = name.find_first_of(L"\\/:") != std::wstring::npos;
  if (hasFolder && CheckedKind(name) != PathKind::Local) return {};
  const std::vector<std::wstring> folders = SearchFolders();
  Record(name);
  for (const auto& folder : folders) Record(folder);
  const std::wstring list = JoinedFolders(folders);
  const std::wstring found = filecalls::FilledText([&](wchar_t* buf, DWORD size) {
    return SearchPathW(list.c_str(), name.c_str(), nullptr, size, buf, nullptr);
  });
  if (found.empty() || CheckedKind(found) != PathKind::Local) return {};
  return found;
}

std::wstring FileGate::LongName(const std::wstring& path) {
  if (path.empty() || CheckedKind(path) != PathKind::Local) return {};
  Record(path);
  return filecalls::FilledText([&](wchar_t* buf, DWORD size) { return GetLongPathNameW(path.c_str(), buf, size); });
}

bool FileGate::FileExists(const std::wstring& path) {
  if (path.empty() || CheckedKind(path) != PathKind::Local) return false;
  Record(path);
  // A file reached through a link is none here, as to the file source that
  // reads it: neither its details nor its signature are read through it.
  return engine::LiveFileSource().Facts(path).has_value();
}

CStringDictionary FileGate::VersionStrings(const std::wstring& file) {
  if (!IsDriveAbsolutePath(file) || CheckedKind(file) != PathKind::Local) return CStringDictionary();
  Record(file);
  engine::LiveFileSource files;
  return engine::VersionStrings(files, file, engine::LoaderLanguages());
}

std::wstring FileGate::IndirectString(const std::wstring& text, bool as32BitProcess) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(text, file, number)) return text;
  // The file is found here, and the reader is handed its full path, which
  // is all it opens.
  const std::wstring expanded = CUtilities::ExpandVariables(file, as32BitProcess);
  const std::wstring path = IsDriveAbsolutePath(expanded) ? expanded : Search(expanded);
  // The reader expands the path again: a "%" could turn it into another.
  if (path.empty() || path.find(L'%') != std::wstring::npos || !IsDriveAbsolutePath(path) ||
      CheckedKind(path) != PathKind::Local)
    return text;
  Record(path);
  const std::wstring direct = L"@" + path + L",-" + std::to_wstring(number);
  const std::wstring loaded = LoadIndirectString(direct);
  return loaded == direct ? text : loaded;
}

void FileGate::Record(const std::wstring& path) {
  if (Observer* observer = observer_.load()) observer->Record(path);
}

FileGate::Observer::Observer() : previous_(observer_.exchange(this)) {}

FileGate::Observer::~Observer() { observer_.store(previous_); }

std::vector<std::wstring> FileGate::Observer::Paths() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paths_;
}

void FileGate::Observer::Record(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  paths_.push_back(path);
}

}  // namespace discovery
