#pragma once
// Text of registry-editor export files, without any system call: value
// lines for every value type, escaping and the editor's hex line wrapping.
#include <cstddef>
#include <cstdint>
#include <string>

namespace regtext {

// Value types, as the registry numbers them.
constexpr std::uint32_t kNone = 0, kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kMultiSz = 7, kQword = 11;

// "\" and "\"" escaped as the editor writes them in quoted names and data.
std::wstring Escape(const std::wstring& text);

// Whether a merge of the export file gives back exactly this key or value
// name. A line break or NUL would end the line early (and let the rest of
// the name write lines of its own); the tests check every other character
// by exporting and importing it.
bool CarriesKeyName(const std::wstring& name);
bool CarriesValueName(const std::wstring& name);

// The key line "\r\n[<name>]\r\n".
std::wstring KeyLine(const std::wstring& fullKeyName);

// One value line (with its closing "\r\n"). name "" is the default value
// ("@"). Data that the quoted or dword form could not give back exactly
// (a string without its closing NUL, with NULs inside, a dword that is not
// four bytes) is written in hex form, so a merge restores it byte for byte.
std::wstring ValueLine(const std::wstring& name, std::uint32_t type, const unsigned char* data, std::size_t size);

}  // namespace regtext
