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
  // Creates the folder and any missing parents, one name at a time, never
  // through a link (SafeFolder). True when it exists after and no folder on
  // the way is a link.
  static bool EnsureFolder(const std::wstring& path);
  // True for an existing file (not a folder).
  static bool FileExists(const std::wstring& path);
  static bool FolderExists(const std::wstring& path);
  // Writes the whole text, replacing any file of that name. The text goes to
  // a new file of a random name beside the target first, which is then
  // renamed through its own handle, so a failed write never leaves a half
  // file and a link of that name is replaced, never written through. The
  // folder is taken as the system resolves it (a folder the user chose; the
  // data folder's files go through SafeFolder's checked chain). On failure
  // errorText holds the system's message.
  static bool WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding,
                            std::wstring& errorText);
  // The bytes WriteTextFile stores for a text.
  static std::string EncodeText(const std::wstring& text, TextEncoding encoding);
  // The folder part of a path, without the trailing "\".
  static std::wstring ParentFolder(const std::wstring& path);
};
