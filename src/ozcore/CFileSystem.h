#pragma once
#include <cstdint>
#include <string>

#include "ozcore/OzCoreExport.h"

// How WriteTextFile stores a text.
enum class TextEncoding {
  Utf16LeBom,  // FF FE, then UTF-16 little-endian
  Ansi,        // the system's ANSI code page, no byte-order mark
  Utf8,        // UTF-8, no byte-order mark
};

// File system helpers.
class OZCORE_API CFileSystem {
 public:
  // Creates the folder and any missing parents. True when it exists after.
  static bool EnsureFolder(const std::wstring& path);
  // True for an existing file (not a folder).
  static bool FileExists(const std::wstring& path);
  static bool FolderExists(const std::wstring& path);
  // Writes the whole text, replacing any file of that name. The text goes to
  // a temporary file beside the target first, which then replaces it, so a
  // failed write never leaves a half file. On failure errorText holds the
  // system's message.
  static bool WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding,
                            std::wstring& errorText);
  // The folder part of a path, without the trailing "\".
  static std::wstring ParentFolder(const std::wstring& path);
};
