#pragma once
// Registry entries as adware writes them, through the system's native
// calls: names with NUL or line breaks, symbolic links, keys that deny
// reading. Also the one safe way to remove such entries again: walked
// without following links, so cleaning up a link never empties its target.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ozcore/UniqueHandle.h"

namespace hostile {

// Creates (or opens) the key name (counted, may hold NUL) below root\path.
// view: 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY.
UniqueKey CreateKey(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view = 0);

// A symbolic link key name below root\path pointing at target, a kernel
// path such as KernelPath(HKEY_CURRENT_USER, L"Software\\Victim").
void CreateLink(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& target,
                REGSAM view = 0);

// The kernel name of root\path ("\REGISTRY\USER\S-1-5-...\Software\...").
std::wstring KernelPath(HKEY root, const std::wstring& path, REGSAM view = 0);

// A value with a counted name.
void SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, std::size_t size);
void SetString(HKEY key, const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);

// Takes every right away from everyone but the owner's right to change
// the key's security and to delete it.
void DenyRead(HKEY key);

// Deletes root\path\name (counted) and everything below it; links go
// themselves, their targets stay. No error if missing; an empty name
// (which would name root\path itself) is refused.
void DeleteTree(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view = 0);

// A value with a counted name; no error if missing.
void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);

// The names of root\path's subkeys (or values) that hold a NUL: entries no
// ordinary program makes.
std::vector<std::wstring> NamesWithNul(HKEY root, const std::wstring& path, bool values);

// Every key and value below root\path, walked without following links:
// full key name (root spelled out, in capitals: the registry compares
// names without regard to case) -> its values as "name=type:hex" lines,
// sorted; a link shows as one line "=>target". A missing key gives
// nothing; a key that cannot be read, "<unreadable>".
using Snapshot = std::map<std::wstring, std::vector<std::wstring>>;
Snapshot TakeSnapshot(HKEY root, const std::wstring& path, REGSAM view = 0);
// Several areas in one snapshot.
struct Area {
  HKEY root;
  std::wstring path;
};
Snapshot TakeSnapshot(const std::vector<Area>& areas);
// The snapshot less a key and everything below it, or less one value of a
// key (keys named as in the snapshot, in any letter case).
Snapshot WithoutKey(Snapshot snapshot, const std::wstring& key);
Snapshot WithoutValue(Snapshot snapshot, const std::wstring& key, const std::wstring& value);

}  // namespace hostile
