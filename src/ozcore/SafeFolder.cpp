#include "ozcore/SafeFolder.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "ozcore/NtFiles.h"
#include "ozcore/SafeFolderImpl.h"

namespace {

constexpr NTSTATUS kNotFound = static_cast<NTSTATUS>(0xC0000034L);      // STATUS_OBJECT_NAME_NOT_FOUND
constexpr NTSTATUS kNameCollision = static_cast<NTSTATUS>(0xC0000035L);  // STATUS_OBJECT_NAME_COLLISION

// Folders on the way are only passed through; the last one is listed and
// its owner read. Never shared for deletion: held, they cannot be renamed.
constexpr ACCESS_MASK kPassAccess = FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr ACCESS_MASK kLastAccess = kPassAccess | FILE_LIST_DIRECTORY | READ_CONTROL;
constexpr ULONG kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr std::uint32_t kStoppedOnLink = 681;  // ERROR_STOPPED_ON_SYMLINK, which not every SDK names

PlaceCheck Problem(PlaceProblem problem, const std::wstring& place, std::uint32_t error = 0) {
  return PlaceCheck{problem, place, error};
}

// The folder name in parent (nullptr: name is the root's native path),
// made first when create and missing. Making it never follows a link, even
// a dangling one: it fails when anything has the name.
NTSTATUS OpenFolder(HANDLE parent, const std::wstring& name, ACCESS_MASK access, bool create, UniqueFile& out) {
  NTSTATUS status = ntfiles::Open(parent, name, access, kFolderShare, FILE_OPEN, FILE_DIRECTORY_FILE, out);
  if (status != kNotFound || !create) return status;
  status = ntfiles::Open(parent, name, access, kFolderShare, FILE_CREATE, FILE_DIRECTORY_FILE, out);
  if (status == kNameCollision)  // made meanwhile by someone else: open what is there, checked as any
    status = ntfiles::Open(parent, name, access, kFolderShare, FILE_OPEN, FILE_DIRECTORY_FILE, out);
  return status;
}

PlaceCheck CheckOpened(HANDLE handle, const std::wstring& meant) {
  const folderpath::Verdict verdict = folderpath::Judge(ntfiles::FactsOf(handle, meant));
  if (verdict == folderpath::Verdict::Link) return Problem(PlaceProblem::Link, meant);
  if (verdict == folderpath::Verdict::HardLinked) return Problem(PlaceProblem::HardLinked, meant);
  return {};
}

PlaceCheck FolderProblem(NTSTATUS status, const std::wstring& place) {
  if (status == kNotFound || status == static_cast<NTSTATUS>(0xC000003AL))  // ... or path not found
    return Problem(PlaceProblem::Missing, place, ntfiles::ErrorOf(status));
  return Problem(PlaceProblem::Failed, place, ntfiles::ErrorOf(status));
}

std::wstring NativeRoot(const std::wstring& root) {
  // "C:\" -> "\??\C:\"; "\\server\share\" -> "\??\UNC\server\share\".
  if (root.size() > 2 && root[0] == L'\\' && root[1] == L'\\') return L"\\??\\UNC\\" + root.substr(2);
  return L"\\??\\" + root;
}

}  // namespace

std::uint32_t ErrorCodeOf(const PlaceCheck& check) {
  switch (check.problem) {
    case PlaceProblem::None: return 0;
    case PlaceProblem::Link: return kStoppedOnLink;
    case PlaceProblem::HardLinked: return ERROR_ACCESS_DENIED;
    case PlaceProblem::BadPath: return ERROR_INVALID_NAME;
    case PlaceProblem::Missing:
    case PlaceProblem::Failed: return check.error ? check.error : ERROR_GEN_FAILURE;
  }
  return ERROR_GEN_FAILURE;
}

SafeFolder::SafeFolder() : impl_(std::make_unique<Impl>()) {}
SafeFolder::~SafeFolder() = default;
SafeFolder::SafeFolder(SafeFolder&& other) noexcept = default;
SafeFolder& SafeFolder::operator=(SafeFolder&& other) noexcept = default;

bool SafeFolder::IsOpen() const { return impl_ && !impl_->chain.empty(); }
const PlaceCheck& SafeFolder::Check() const { return impl_->check; }
const std::wstring& SafeFolder::Path() const { return impl_->path; }
HANDLE SafeFolder::Handle() const { return IsOpen() ? impl_->chain.back().get() : nullptr; }

void SafeFolder::Impl::Fail(PlaceCheck problem) {
  chain.clear();
  check = std::move(problem);
}

SafeFolder SafeFolder::Open(const std::wstring& path, bool create) {
  SafeFolder folder;
  Impl& impl = *folder.impl_;
  impl.path = path;
  const std::optional<folderpath::Walk> walk = folderpath::SplitPath(path);
  if (!walk) {
    impl.Fail(Problem(PlaceProblem::BadPath, path));
    return folder;
  }
  UniqueFile root;
  const NTSTATUS status = OpenFolder(nullptr, NativeRoot(walk->root), walk->names.empty() ? kLastAccess : kPassAccess,
                                     false, root);
  if (status < 0) {
    impl.Fail(FolderProblem(status, walk->root));
    return folder;
  }
  impl.meant = walk->root;
  impl.path = walk->root;
  if (PlaceCheck check = CheckOpened(root.get(), impl.meant); !check.Ok()) {
    impl.Fail(std::move(check));
    return folder;
  }
  impl.chain.push_back(std::move(root));
  for (const auto& name : walk->names)
    if (!folder.Descend(name, create)) break;
  return folder;
}

SafeFolder SafeFolder::OpenChosen(const std::wstring& path) {
  SafeFolder folder;
  Impl& impl = *folder.impl_;
  impl.path = path;
  UniqueFile handle(CreateFileW(path.c_str(), kLastAccess | SYNCHRONIZE, kFolderShare, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !GetFileInformationByHandle(handle.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    impl.Fail(Problem(PlaceProblem::Failed, path, handle ? ERROR_DIRECTORY : GetLastError()));
    return folder;
  }
  // Its files are checked against where the system says the folder is.
  impl.meant = ntfiles::FinalPath(handle.get());
  impl.chain.push_back(std::move(handle));
  return folder;
}

bool SafeFolder::Descend(const std::wstring& name, bool create) {
  if (!IsOpen()) return false;
  const std::wstring meant = ntfiles::ChildPath(impl_->meant, name);
  const std::wstring shown = ntfiles::ChildPath(impl_->path, name);
  if (!folderpath::IsPlainName(name)) {
    impl_->Fail(Problem(PlaceProblem::BadPath, shown));
    return false;
  }
  UniqueFile next;
  const NTSTATUS status = OpenFolder(Handle(), name, kLastAccess, create, next);
  if (status < 0) {
    impl_->Fail(FolderProblem(status, shown));
    return false;
  }
  if (PlaceCheck check = CheckOpened(next.get(), meant); !check.Ok()) {
    check.place = shown;
    impl_->Fail(std::move(check));
    return false;
  }
  impl_->chain.push_back(std::move(next));
  impl_->meant = meant;
  impl_->path = shown;
  return true;
}

bool SafeFolder::OwnedByAdministrators() const {
  if (!IsOpen()) return false;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(Handle(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS)
    return false;
  UniqueLocal held(descriptor);
  return owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
}

std::uint32_t SafeFolder::LimitWritingToAdministrators(const std::wstring& reader) const {
  if (!IsOpen() || impl_->chain.size() < 2) return ERROR_INVALID_HANDLE;
  // The handle for this: the same folder again, opened from its parent
  // (which is held, so it cannot be another) and checked as before.
  const std::wstring name = impl_->meant.substr(impl_->meant.find_last_of(L'\\') + 1);
  UniqueFile folder;
  const NTSTATUS status = ntfiles::Open(impl_->chain[impl_->chain.size() - 2].get(), name,
                                        READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES, kFolderShare,
                                        FILE_OPEN, FILE_DIRECTORY_FILE, folder);
  if (status < 0) return ntfiles::ErrorOf(status);
  if (!CheckOpened(folder.get(), impl_->meant).Ok()) return ERROR_REPARSE_TAG_MISMATCH;
  // Read and execute is 0x1200A9; "OW" holds an owner to it as well.
  const std::wstring sddl = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;" + reader +
                            L")(A;OICI;0x1200a9;;;OW)";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    return GetLastError();
  UniqueLocal held(descriptor);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
    return GetLastError();
  return SetSecurityInfo(folder.get(), SE_FILE_OBJECT,
                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                         owner, nullptr, dacl, nullptr);
}
