#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ozcore/CStringDictionary.h"
#include "ozcore/OzCoreExport.h"

// ozCore.dll's exported helper class, kept for the binaries built against
// it: each member forwards to the module named beside it, which the
// program's own code calls directly (FormatText, VersionStrings,
// FileResource, EnvExpansion, PathText, SystemFolders, WindowsVersion,
// UrlText, SystemMessage, Utf8Text).
class OZCORE_API CUtilities {
 public:
  // Replaces "%1", "%2", ... in one pass; text brought in by an argument is
  // never replaced again. A marker without an argument is left as it is.
  static std::wstring FormatString(const std::wstring& text, const std::vector<std::wstring>& args);

  // The version strings of a file (CompanyName, ProductVersion, ...), read
  // from its version resource without running the file. Empty when the file
  // has none or cannot be read. Keys compare without regard to case.
  static CStringDictionary GetVersionStrings(const std::wstring& file);

  // The bytes of one resource (numeric type and id, any language) of a file
  // loaded as a data image, so its code never runs; never more than the
  // loaded image holds, whatever size the file claims. Empty when the file
  // or the resource is missing. No "insert a disk" box meanwhile.
  static std::vector<unsigned char> ReadFileResource(const std::wstring& file, std::uint16_t type, std::uint16_t id);

  // The file a registry file string names, in the form to search for it:
  // surrounding spaces and quotes removed, anything after a closing quote
  // dropped, environment variables expanded. The folder part is kept.
  static std::wstring FileSearchName(const std::wstring& path);

  // Environment references ("%ProgramFiles%") expanded with the values a
  // process of the given kind sees: as32BitProcess gives what a 32-bit
  // process on 64-bit Windows reads ("C:\Program Files (x86)" for
  // ProgramFiles), whatever the bitness of this one. Unset references stay.
  static std::wstring ExpandVariables(const std::wstring& text, bool as32BitProcess);

  // The file-name part of a path (after the last "\" or "/").
  static std::wstring FileNamePart(const std::wstring& path);

  // The user's roaming application data folder, ending with "\".
  static std::wstring AppDataFolder();

  // A one-line description of the system; the numbers are filled in.
  static std::wstring GetWindowsVersion(std::int32_t& major, std::int32_t& minor, std::int32_t& build,
                                        std::int32_t& platformId, std::wstring& servicePack);

  // Percent-encodes the UTF-8 bytes of text; A-Z a-z 0-9 - _ . ~ stay.
  static std::wstring UrlEncode(const std::wstring& text);

  // The Windows folder, without a trailing "\".
  static std::wstring WindowsFolder();

  // The system's message for a Win32 error code, without the trailing line
  // break; "Error N" when the system has none.
  static std::wstring SystemMessage(std::uint32_t code);

  // UTF-16 <-> UTF-8.
  static std::string ToUtf8(const std::wstring& text);
  static std::wstring FromUtf8(const std::string& text);
};
