#pragma once
// The version resource of a file (its VS_VERSIONINFO block), read by our own
// code: the block comes from an add-on file and every length in it is
// checked against the structure that holds it. Platform-free.
//
// Each structure is: wLength (bytes, the whole structure), wValueLength,
// wType (1 text: the value length counts UTF-16 units; 0 binary: bytes),
// a NUL-terminated UTF-16 key, padding to a 32-bit boundary, the value,
// padding, and child structures, each starting on a 32-bit boundary.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace versionblock {

// A language and code page pair from VarFileInfo\Translation.
struct Translation {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
};

// One name and value of a string table; the value ends at its first NUL.
struct VersionString {
  std::wstring name;
  std::wstring value;
};

// A StringFileInfo table, under its key ("040904B0": language and code page
// in hexadecimal, as written in the file).
struct StringTable {
  std::wstring key;
  std::vector<VersionString> strings;
};

struct VersionInfo {
  std::vector<Translation> translations;
  std::vector<StringTable> tables;  // in file order, of every StringFileInfo
};

// Reads the block of size bytes at data. Structures that are malformed (a
// length past their parent or the block, a key without its NUL) are skipped;
// a length that cannot hold a structure ends the walk of its level, since
// no sibling after it can be found. A value whose length runs past its
// structure is cut at the structure's end. Keys compare without regard to
// case, as the system's reader compares them.
VersionInfo Parse(const unsigned char* data, std::size_t size);

// The usual named strings (CompanyName, ProductVersion, ...) of the table the
// system's reader picks: the language and code page the file declares first,
// else the US English tables; the first of these that holds any of them.
std::vector<VersionString> StandardStrings(const VersionInfo& info);

}  // namespace versionblock
