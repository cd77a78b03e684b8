#pragma once
// Walks over registry key trees for the common library: the names below a
// key, the export of a tree and the deletion of one, both never following
// a link. Names are counted throughout.
#include <windows.h>

#include <string>
#include <vector>

#include "ozcore/CRegistry.h"

namespace regwalk {

// Names of a key's subkeys or values, as the registry orders them. Names
// may hold any character, NUL included, so lengths are taken from the
// calls. With count and maxLength from RegQueryInfoKeyW the loop stops
// after count names; with kUnknownCount it reads on to the end.
constexpr DWORD kUnknownCount = 0xFFFFFFFF;
std::vector<std::wstring> ListNames(HKEY key, bool values, DWORD count, DWORD maxLength);
std::vector<std::wstring> ListNames(HKEY key, bool values);

// Appends an omission to omitted when it is given (value: the value's name,
// or nullptr for a key).
void Omit(std::vector<RegOmission>* omitted, const std::wstring& key, const std::wstring* value,
          RegOmissionReason reason);

// The export text of key (named fullName) and everything below it, in the
// registry editor's format; what it cannot carry back is left out and
// listed in omitted.
void ExportTree(HKEY key, const std::wstring& fullName, bool forAnsiFile, REGSAM viewFlag,
                std::vector<RegOmission>* omitted, std::wstring& out);

// Deletes everything below key, then key itself, through handles opened
// without following links: a link below goes itself, its target stays.
LONG DeleteTree(HKEY key, REGSAM viewFlag, int depth = 0);

}  // namespace regwalk
