#pragma once
// What the elevation helper makes of the text rundll32 hands it.
#include <string>

namespace Stoatline {

// The program to start: the folder argument with surrounding blanks and
// quotes and any trailing separator removed, followed by "\Quillmoor.exe".
// Empty when the argument names no folder.
std::wstring ProgramInFolder(const std::wstring& argument);
// The folder part of ProgramInFolder's result, the program's working folder.
std::wstring FolderOf(const std::wstring& program);

}  // namespace Stoatline
