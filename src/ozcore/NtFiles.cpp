#include "ozcore/NtFiles.h"

#include <cstring>
#include <vector>

namespace ntfiles {
namespace {

// FILE_RENAME_INFORMATION as the native call takes it: the root folder
// handle is passed as it is (the Win32 wrapper would turn a relative name
// into a path of the current folder on some systems).
struct RenameBlock {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  WCHAR fileName[1];
};

constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;
constexpr std::size_t kMaxNameUnits = 32767;  // what a counted native name can hold

}  // namespace

NTSTATUS Open(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
              ULONG options, UniqueFile& out) {
  out.reset();
  if (name.empty() || name.size() > kMaxNameUnits) return static_cast<NTSTATUS>(0xC0000033L);  // name invalid
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t*>(name.data());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS status =
      NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                   options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
  if (status >= 0) out.reset(handle);
  return status;
}

std::uint32_t ErrorOf(NTSTATUS status) { return RtlNtStatusToDosError(status); }

std::wstring ChildPath(const std::wstring& parent, const std::wstring& name) {
  if (!parent.empty() && parent.back() == L'\\') return parent + name;
  return parent + L"\\" + name;
}

std::wstring FinalPath(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(n + 1);
  }
  return {};
}

folderpath::OpenedFacts FactsOf(HANDLE handle, const std::wstring& meant) {
  folderpath::OpenedFacts facts;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  BY_HANDLE_FILE_INFORMATION info{};
  // Facts that cannot be read count against the handle.
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) ||
      !GetFileInformationByHandle(handle, &info)) {
    facts.reparsePoint = true;
    return facts;
  }
  facts.reparsePoint = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                       (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  facts.finalPathMatches = folderpath::SamePath(FinalPath(handle), meant);
  facts.links = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : info.nNumberOfLinks;
  return facts;
}

NTSTATUS RenameInto(HANDLE file, HANDLE folder, const std::wstring& name, bool replace) {
  if (name.empty() || name.size() > kMaxNameUnits) return static_cast<NTSTATUS>(0xC0000033L);
  const std::size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(offsetof(RenameBlock, fileName) + bytes + sizeof(wchar_t), 0);
  auto* block = reinterpret_cast<RenameBlock*>(buffer.data());
  block->replaceIfExists = replace ? TRUE : FALSE;
  block->rootDirectory = folder;
  block->fileNameLength = static_cast<ULONG>(bytes);
  std::memcpy(block->fileName, name.data(), bytes);
  IO_STATUS_BLOCK io{};
  return NtSetInformationFile(file, &io, block, static_cast<ULONG>(buffer.size()),
                              static_cast<FILE_INFORMATION_CLASS>(kFileRenameInformation));
}

bool RemoveWhenClosed(HANDLE file) {
  BOOLEAN remove = TRUE;
  IO_STATUS_BLOCK io{};
  return NtSetInformationFile(file, &io, &remove, sizeof(remove),
                              static_cast<FILE_INFORMATION_CLASS>(kFileDispositionInformation)) >= 0;
}

}  // namespace ntfiles
