#pragma once
// What the program, running as an administrator, wrote into the data
// folder, kept where only administrators write:
//   HKEY_LOCAL_MACHINE\SOFTWARE\Quillmoor\Written  one REG_SZ value per file
//       (named by its full path), the file's SHA-256 in lower-case hex;
//   HKEY_LOCAL_MACHINE\SOFTWARE\Quillmoor\Folders  one value per folder the
//       administrators were given.
// A file that no longer has its recorded hash was changed by someone else.
#include <optional>
#include <string>

namespace core::written {

// The SHA-256 of bytes in lower-case hex (the system's own hashing);
// empty when it could not be made.
std::wstring Sha256Hex(const std::string& bytes);

// Keeps the hash of the file at path. 0 or the system's error code.
long RememberFile(const std::wstring& path, const std::wstring& hash);
// The hash kept for the file at path; nullopt when none is.
std::optional<std::wstring> RecordedHash(const std::wstring& path);

// Keeps that the folder at path was given to the administrators.
long RememberFolderGiven(const std::wstring& path);
bool FolderWasGiven(const std::wstring& path);

}  // namespace core::written
