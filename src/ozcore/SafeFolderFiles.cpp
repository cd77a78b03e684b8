// The files of a SafeFolder: written whole through a new file of a random
// name, appended to, read and listed, each by name relative to the folder's
// handle and checked before a byte is written or trusted.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <array>

#include "ozcore/NtFiles.h"
#include "ozcore/SafeFolderImpl.h"

namespace {

constexpr NTSTATUS kNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kNameCollision = static_cast<NTSTATUS>(0xC0000035L);
constexpr int kTemporaryAttempts = 4;

PlaceCheck Failure(const std::wstring& place, std::uint32_t error) { return PlaceCheck{PlaceProblem::Failed, place, error}; }

PlaceCheck CheckFile(HANDLE file, const std::wstring& meant, const std::wstring& shown) {
  PlaceCheck check;
  check.place = shown;
  // A pipe or device would block or never end.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    check.problem = PlaceProblem::Failed;
    check.error = ERROR_BAD_FILE_TYPE;
    return check;
  }
  switch (folderpath::Judge(ntfiles::FactsOf(file, meant))) {
    case folderpath::Verdict::Link: check.problem = PlaceProblem::Link; break;
    case folderpath::Verdict::HardLinked: check.problem = PlaceProblem::HardLinked; break;
    case folderpath::Verdict::Accept: check.place.clear(); break;
  }
  return check;
}

// The generator's library is not one of the system's known DLLs: bound at
// load time it would be looked for beside the program first, so it is
// loaded from the system folder by hand.
bool SystemRandom(std::array<std::uint8_t, 16>& bytes) {
  using GenRandom = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);
  // Kept for the life of the process: freeing it while the DLL unloads
  // would run under the loader's lock.
  static const HMODULE library = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library) return false;
  const auto generate = reinterpret_cast<GenRandom>(GetProcAddress(library, "BCryptGenRandom"));
  return generate &&
         generate(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

std::array<std::uint8_t, 16> RandomBytes() {
  std::array<std::uint8_t, 16> bytes{};
  if (!SystemRandom(bytes)) {
    // Without the generator the name is still new: the counter and the
    // clock make it so, and it is created only where nothing has it.
    static LONG counter = 0;
    const ULONGLONG mix = GetTickCount64() ^ (static_cast<ULONGLONG>(GetCurrentProcessId()) << 32) ^
                          static_cast<ULONGLONG>(InterlockedIncrement(&counter));
    for (std::size_t i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(mix >> (8 * i));
  }
  return bytes;
}

bool WriteAll(HANDLE file, const std::string& bytes, std::uint32_t& error) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      error = GetLastError();
      return false;
    }
    done += written;
  }
  if (FlushFileBuffers(file)) return true;
  error = GetLastError();
  return false;
}

// Opens an existing file, or makes it: never through a link, even a
// dangling one (making fails when anything has the name).
NTSTATUS OpenOrMake(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, UniqueFile& out) {
  NTSTATUS status = ntfiles::Open(folder, name, access, share, FILE_OPEN, FILE_NON_DIRECTORY_FILE, out);
  if (status != kNotFound) return status;
  status = ntfiles::Open(folder, name, access, share, FILE_CREATE, FILE_NON_DIRECTORY_FILE, out);
  if (status == kNameCollision) status = ntfiles::Open(folder, name, access, share, FILE_OPEN, FILE_NON_DIRECTORY_FILE, out);
  return status;
}

}  // namespace

SafeFolder::WriteOutcome SafeFolder::WriteWholeFile(const std::wstring& name, const std::string& bytes, bool replace,
                                                    PlaceCheck& check) const {
  if (!IsOpen()) {
    check = impl_->check;
    return WriteOutcome::Failed;
  }
  const std::wstring shown = ntfiles::ChildPath(impl_->path, name);
  check = {};
  if (!folderpath::IsPlainName(name)) {
    check = PlaceCheck{PlaceProblem::BadPath, shown, ERROR_INVALID_NAME};
    return WriteOutcome::Failed;
  }
  UniqueFile temp;
  std::wstring tempName;
  NTSTATUS status = kNameCollision;
  for (int attempt = 0; attempt < kTemporaryAttempts && status == kNameCollision; ++attempt) {
    tempName = folderpath::TemporaryName(RandomBytes());
    status = ntfiles::Open(Handle(), tempName, GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0, FILE_CREATE,
                           FILE_NON_DIRECTORY_FILE, temp);
  }
  if (status < 0) {
    check = Failure(shown, ntfiles::ErrorOf(status));
    return WriteOutcome::Failed;
  }
  std::uint32_t error = 0;
  check = CheckFile(temp.get(), ntfiles::ChildPath(impl_->meant, tempName), shown);
  if (check.Ok() && !WriteAll(temp.get(), bytes, error)) check = Failure(shown, error);
  if (check.Ok()) {
    status = ntfiles::RenameInto(temp.get(), Handle(), name, replace);
    if (status >= 0) return WriteOutcome::Written;
    check = Failure(shown, ntfiles::ErrorOf(status));
  }
  // Removed through its own handle: whatever the name leads to now.
  ntfiles::RemoveWhenClosed(temp.get());
  if (status == kNameCollision && !replace) {
    check = {};
    return WriteOutcome::NameTaken;
  }
  return WriteOutcome::Failed;
}

UniqueFile SafeFolder::OpenForAppend(const std::wstring& name, PlaceCheck& check) const {
  if (!IsOpen()) {
    check = impl_->check;
    return {};
  }
  const std::wstring shown = ntfiles::ChildPath(impl_->path, name);
  UniqueFile file;
  const NTSTATUS status = OpenOrMake(Handle(), name, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, file);
  if (status < 0) {
    check = Failure(shown, ntfiles::ErrorOf(status));
    return {};
  }
  check = CheckFile(file.get(), ntfiles::ChildPath(impl_->meant, name), shown);
  if (!check.Ok()) return {};
  return file;
}

std::optional<std::string> SafeFolder::ReadWholeFile(const std::wstring& name, std::uint64_t limit,
                                                     PlaceCheck& check) const {
  if (!IsOpen()) {
    check = impl_->check;
    return std::nullopt;
  }
  const std::wstring shown = ntfiles::ChildPath(impl_->path, name);
  UniqueFile file;
  const NTSTATUS status = ntfiles::Open(Handle(), name, GENERIC_READ | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, FILE_OPEN,
                                        FILE_NON_DIRECTORY_FILE, file);
  if (status < 0) {
    check = Failure(shown, ntfiles::ErrorOf(status));
    return std::nullopt;
  }
  check = CheckFile(file.get(), ntfiles::ChildPath(impl_->meant, name), shown);
  LARGE_INTEGER size{};
  if (check.Ok() && (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
                     static_cast<std::uint64_t>(size.QuadPart) > limit))
    check = Failure(shown, ERROR_FILE_TOO_LARGE);
  if (!check.Ok()) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 20));
    if (!ReadFile(file.get(), bytes.data() + filled, want, &read, nullptr)) {
      check = Failure(shown, GetLastError());
      return std::nullopt;
    }
    if (read == 0) break;  // shorter than it was a moment ago
    filled += read;
  }
  bytes.resize(filled);
  return bytes;
}

std::vector<std::wstring> SafeFolder::FileNames() const {
  std::vector<std::wstring> names;
  if (!IsOpen()) return names;
  alignas(8) std::array<unsigned char, 64 * 1024> buffer;
  FILE_INFO_BY_HANDLE_CLASS next = FileFullDirectoryRestartInfo;
  while (GetFileInformationByHandleEx(Handle(), next, buffer.data(), static_cast<DWORD>(buffer.size()))) {
    next = FileFullDirectoryInfo;
    for (std::size_t at = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer.data() + at);
      if (!(entry->FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        names.emplace_back(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
  return names;
}
