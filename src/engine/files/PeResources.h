#pragma once
// The resources of a Windows program file (a PE image: .exe, .dll, .mui),
// read by our own code from the file's bytes, never by the system's loader:
// the file comes from an add-on and is hostile. Only the headers, the
// section table, the three levels of the resource directory on the way
// (type, name, language) and the one resource are read, each offset and
// count checked against the section that holds it and the file's size.
// Platform-free.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/files/FileSource.h"
#include "ozcore/CStringDictionary.h"

namespace engine {

namespace restype {
constexpr std::uint16_t kString = 6;    // RT_STRING
constexpr std::uint16_t kVersion = 16;  // RT_VERSION
}  // namespace restype

// The most of one resource read: no version or string block needs more.
constexpr std::size_t kMaxResourceBytes = 1024 * 1024;

// Languages (LANGIDs) in the order a resource is looked for. When the file
// has the resource in none of them, the language it lists first is taken,
// as the system's loader does.
using LanguageOrder = std::vector<std::uint16_t>;

// The bytes of resource (type, id), cut at kMaxResourceBytes and where the
// file's data for its section ends. Nothing when the file is not a PE
// image, has no such resource, or the resource is empty.
std::optional<std::vector<std::uint8_t>> ReadResource(FileSource& files, const std::wstring& path, std::uint16_t type,
                                                      std::uint16_t id, const LanguageOrder& languages);

// The version strings of the file's version resource (id 1), keyed by name
// (CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
// OriginalFilename, ProductName, ProductVersion, Comments,
// LegalTrademarks, PrivateBuild, SpecialBuild), from the first table that
// has any of them among: the language and code page the file declares
// first, then 040904B0 and 040904E4 (US English). Empty when there is none.
CStringDictionary VersionStrings(FileSource& files, const std::wstring& path, const LanguageOrder& languages);

// String number (0-65535) of the file's string table; an empty string when
// its block has it with no characters. Nothing when the block is missing or
// its counts run past it before the string.
std::optional<std::wstring> ResourceString(FileSource& files, const std::wstring& path, std::uint32_t number,
                                           const LanguageOrder& languages);

}  // namespace engine
