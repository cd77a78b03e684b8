#pragma once
// The system's native file calls SafeFolder is built on: opening a name
// relative to a folder handle without following a link, renaming and
// removing a file through its own handle, and the facts that say whether a
// handle is what was meant. Inside the common library only.
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <string>

#include "ozcore/FolderPath.h"
#include "ozcore/UniqueHandle.h"

namespace ntfiles {

// Opens name relative to folder (nullptr: name is a full NT path such as
// "\??\C:\"), never following a link at name itself (Windows opens the link;
// the checks below find what Wine's file system follows). The status.
NTSTATUS Open(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
              ULONG options, UniqueFile& out);

// The Win32 error code of a status.
std::uint32_t ErrorOf(NTSTATUS status);

// parent + "\" + name (no second separator after a root).
std::wstring ChildPath(const std::wstring& parent, const std::wstring& name);

// The facts of an open handle against the path meant.
folderpath::OpenedFacts FactsOf(HANDLE handle, const std::wstring& meant);

// The system's final path of a handle ("\\?\C:\..."); empty when unknown.
std::wstring FinalPath(HANDLE handle);

// Renames the file of handle (opened with DELETE) to name in folder.
NTSTATUS RenameInto(HANDLE file, HANDLE folder, const std::wstring& name, bool replace);

// Marks the file of handle (opened with DELETE) for removal when closed.
bool RemoveWhenClosed(HANDLE file);

}  // namespace ntfiles
