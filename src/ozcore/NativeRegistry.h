#pragma once
// Registry calls that take names by their counted length. Key and value
// names may hold any character but "\" in a key name, NUL and line breaks
// included; the documented calls take NUL-terminated names and would cut
// such a name short, reaching another key. These go to the system's native
// registry calls, which count. Results are Win32 error codes.
#include <windows.h>

#include <string>
#include <vector>

#include "ozcore/UniqueHandle.h"

namespace nativereg {

// Opens path (counted; "\" separates keys) below parent, which must be a
// real key handle, not a predefined one. openLink: a link at the last key
// of path is opened itself rather than followed. access may carry a
// registry view flag.
LONG OpenKey(HKEY parent, const std::wstring& path, REGSAM access, bool openLink, UniqueKey& out);

// Opens name (one key, counted) below parent, making it when it is
// missing. A link there, made before or during the call, is opened itself,
// never followed. access may carry a registry view flag.
LONG CreateKey(HKEY parent, const std::wstring& name, REGSAM access, UniqueKey& out);

// A real handle for a predefined root (HKEY_LOCAL_MACHINE ...), for
// OpenKey. HKEY_CLASSES_ROOT gives the machine's classes.
LONG OpenRoot(HKEY root, REGSAM access, UniqueKey& out);

// A value's type and bytes (size bytes of data are valid). A value over
// maxBytes is not read: ERROR_MORE_DATA, with its type and its size in size.
LONG QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<unsigned char>& data, std::size_t& size,
                std::size_t maxBytes);

LONG DeleteValue(HKEY key, const std::wstring& name);

// Deletes the key the handle was opened on (it must have no subkeys). A
// link key opened with openLink goes itself; its target stays.
LONG DeleteKey(HKEY key);

// True when the key (opened with openLink) is a symbolic link.
bool IsLink(HKEY key);

// The key's full name as the system knows it ("\REGISTRY\MACHINE\...").
std::wstring KernelName(HKEY key);

}  // namespace nativereg
