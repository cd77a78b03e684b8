#pragma once
// What a file string from the registry points at: a file on this machine,
// a file on another machine, or a device. Registry data is written by
// whoever installed the add-on; a network or device path is never opened
// by the listing, so it is recognised here from the text alone.
// Platform-free.
#include <string>

namespace discovery {

// Ordered by caution: a string with parts of several kinds takes the last.
enum class PathKind { Local, Network, Device };

// The kind of the path a file string names. The string is read as the file
// search reads it (spaces and tabs at both ends removed; a quoted path
// without what follows its closing quote); "res://" and "file:" addresses
// by the file they name (percent escapes decoded). Environment references
// are not expanded: expand first. "/" counts as "\".
//   Network: "\\host\...", "\\?\UNC\...", "\??\UNC\...", "\\.\UNC\...",
//            "GLOBALROOT\Device\Mup\..." and the other redirectors,
//            "file://host/..." (a host other than localhost).
//   Device:  "\\.\...", "\\?\" and "\??\" not followed by a drive path,
//            "\Device\...", a "GLOBALROOT" part, a file part that is a
//            reserved device name (CON, NUL, COM1, LPT1, CONIN$, ... with
//            any extension, trailing dots or spaces, any letter case).
//   Local:   everything else (drive paths, relative names).
PathKind ClassifyPath(const std::wstring& fileString);

// The drive letter (upper case) of the path a file string names, read as
// ClassifyPath reads it ("C:\x", "\\?\C:\x", "\??\c:x"); 0 for none.
wchar_t PathDriveLetter(const std::wstring& fileString);

// True for a full drive path, "X:\..." (or "X:/..."), also behind a "\\?\"
// or "\??\" prefix: a path that names one place whatever the current
// folder and the search order. The text is taken as it is (no trimming).
bool IsDriveAbsolutePath(const std::wstring& path);

// True when a file-name part names a reserved DOS device: CON, PRN, AUX,
// NUL, COM0-COM9, LPT0-LPT9 (also with the superscript digits 1-3),
// CONIN$, CONOUT$; any letter case, anything after a "." or ":", spaces
// before that.
bool IsReservedDeviceName(const std::wstring& filePart);

}  // namespace discovery
