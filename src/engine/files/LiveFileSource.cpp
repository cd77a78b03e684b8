#include "engine/files/LiveFileSource.h"

#include "ozcore/FileCalls.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "engine/files/FileGate.h"
#include "engine/files/PathKind.h"
#include "ozcore/FolderPath.h"
#include "ozcore/UniqueHandle.h"

namespace engine {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::size_t kListBufferBytes = 64 * 1024;



// The full form of a path the source may open, or empty when it is refused:
// a full local drive path without NUL, whose full form is local too.
std::wstring CheckedFullPath(const std::wstring& path) {
  using discovery::FileGate;
  if (path.find(L'\0') != std::wstring::npos || !discovery::IsDriveAbsolutePath(path) ||
      FileGate::Kind(path) != discovery::PathKind::Local)
    return {};
  const std::wstring full =
      filecalls::FilledText([&](wchar_t* buf, DWORD size) { return GetFullPathNameW(path.c_str(), size, buf, nullptr); });
  if (full.empty() || FileGate::Kind(full) != discovery::PathKind::Local) return {};
  return full;
}

std::wstring FinalPath(HANDLE handle) {
  return filecalls::FilledText([&](wchar_t* buf, DWORD size) {
    return GetFinalPathNameByHandleW(handle, buf, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
}

// The path with its short (8.3) names in their long form, as the system's
// final path has them.
std::wstring LongPath(const std::wstring& full) {
  const std::wstring longer =
      filecalls::FilledText([&](wchar_t* buf, DWORD size) { return GetLongPathNameW(full.c_str(), buf, size); });
  return longer.empty() ? full : longer;
}

// The plain file (or folder) at path, opened without following a link at
// its name and checked: not a link, not a device, and the very place asked
// for. Empty when refused.
UniqueFile OpenChecked(const std::wstring& path, DWORD access, bool folder) {
  const std::wstring full = CheckedFullPath(path);
  if (full.empty()) return {};
  filecalls::QuietFileErrors quiet;
  const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
  UniqueFile handle(CreateFileW(full.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
  if (!handle || GetFileType(handle.get()) != FILE_TYPE_DISK) return {};
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag)) return {};
  const bool isFolder = (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || isFolder != folder) return {};
  if (!folderpath::SamePath(FinalPath(handle.get()), LongPath(full))) return {};
  return handle;
}

std::uint64_t FromFileTime(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class LiveOpenFile final : public OpenFile {
 public:
  LiveOpenFile(UniqueFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  HANDLE Handle() const { return file_.get(); }
  std::optional<FileIdentity> Identity() const override { return IdentityOfHandle(file_.get()); }

  std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t length) override {
    if (length > kMaxFileReadBytes) return std::nullopt;
    if (offset >= size_) return std::vector<std::uint8_t>();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset)));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      OVERLAPPED at{};
      const std::uint64_t position = offset + filled;
      at.Offset = static_cast<DWORD>(position);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
      DWORD read = 0;
      if (!ReadFile(file_.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        return std::nullopt;
      }
      if (read == 0) break;  // shorter than it was a moment ago
      filled += read;
    }
    bytes.resize(filled);
    return bytes;
  }

 private:
  UniqueFile file_;
  std::uint64_t size_;
};

}  // namespace

std::optional<FileIdentity> IdentityOfHandle(void* handle) {
  HANDLE file = static_cast<HANDLE>(handle);
  if (!file) return std::nullopt;
  FileIdentity identity;
  FILE_ID_INFO id{};
  BY_HANDLE_FILE_INFORMATION older{};
  if (GetFileInformationByHandleEx(file, FileIdInfo, &id, sizeof id)) {
    identity.volume = id.VolumeSerialNumber;
    std::memcpy(identity.fileId.data(), id.FileId.Identifier, identity.fileId.size());
  } else if (GetFileInformationByHandle(file, &older)) {
    // Systems before FILE_ID_INFO: the volume serial and 64-bit index.
    identity.volume = older.dwVolumeSerialNumber;
    const std::uint64_t index = (static_cast<std::uint64_t>(older.nFileIndexHigh) << 32) | older.nFileIndexLow;
    std::memcpy(identity.fileId.data(), &index, sizeof index);
  } else {
    return std::nullopt;
  }
  FILE_BASIC_INFO basic{};
  LARGE_INTEGER size{};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileSizeEx(file, &size))
    return std::nullopt;
  identity.size = static_cast<std::uint64_t>(size.QuadPart);
  identity.changeTime = basic.ChangeTime.QuadPart;
  if (identity.changeTime == 0 || identity.fileId == decltype(identity.fileId){}) return std::nullopt;
  return identity;
}

void* NativeHandleOf(OpenFile& file) {
  const auto* live = dynamic_cast<LiveOpenFile*>(&file);
  return live ? live->Handle() : nullptr;
}

std::optional<FileStat> LiveFileSource::Facts(const std::wstring& path) {
  const UniqueFile file = OpenChecked(path, FILE_READ_ATTRIBUTES, false);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  FileStat facts;
  facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.times = FileTimes{FromFileTime(info.ftCreationTime), FromFileTime(info.ftLastWriteTime)};
  return facts;
}

std::unique_ptr<OpenFile> LiveFileSource::Open(const std::wstring& path) {
  UniqueFile file = OpenChecked(path, GENERIC_READ, false);
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<LiveOpenFile>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

std::optional<std::vector<FolderEntry>> LiveFileSource::List(const std::wstring& folder) {
  const UniqueFile handle = OpenChecked(folder, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, true);
  if (!handle) return std::nullopt;
  std::vector<FolderEntry> entries;
  std::vector<std::uint64_t> buffer(kListBufferBytes / sizeof(std::uint64_t));  // entries are 8-byte aligned
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
  FILE_INFO_BY_HANDLE_CLASS next = FileFullDirectoryRestartInfo;
  while (entries.size() < kMaxFolderEntries &&
         GetFileInformationByHandleEx(handle.get(), next, buffer.data(), static_cast<DWORD>(kListBufferBytes))) {
    next = FileFullDirectoryInfo;
    for (std::size_t at = 0; entries.size() < kMaxFolderEntries;) {
      const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes + at);
      const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      // A link is neither a file nor a folder here.
      if (name != L"." && name != L".." && !(entry->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        entries.push_back(FolderEntry{name, (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
  return entries;
}

LanguageOrder LoaderLanguages() {
  LanguageOrder order;
  const auto add = [&](LANGID language) {
    if (std::find(order.begin(), order.end(), language) == order.end()) order.push_back(language);
  };
  const auto addWithNeutral = [&](LANGID language) {
    add(language);
    add(MAKELANGID(PRIMARYLANGID(language), SUBLANG_NEUTRAL));
  };
  add(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  add(GetThreadUILanguage());
  add(LANGIDFROMLCID(GetThreadLocale()));
  add(GetUserDefaultUILanguage());
  addWithNeutral(GetUserDefaultLangID());
  add(GetSystemDefaultUILanguage());
  addWithNeutral(GetSystemDefaultLangID());
  add(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  return order;
}

std::vector<std::wstring> DisplayLanguageNames() {
  std::vector<std::wstring> names;
  const auto add = [&](const std::wstring& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  };
  for (const LANGID language : {GetUserDefaultUILanguage(), GetSystemDefaultUILanguage()}) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const int n = LCIDToLocaleName(MAKELCID(language, SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0);
    if (n > 1) add(std::wstring(name, static_cast<std::size_t>(n - 1)));
  }
  add(L"en-US");
  return names;
}

}  // namespace engine
