#pragma once
// What the listing learns of the files the registry names, from wherever
// the files are: the running machine, a disk image, or a table in a test.
// Every answer is about a path that the registry, not the user, wrote.
// Platform-free.
#include <memory>
#include <string>

#include "engine/files/FileSource.h"
#include "engine/files/PathKind.h"
#include "ozcore/CStringDictionary.h"

namespace engine {

using discovery::PathKind;

class FileFacts {
 public:
  virtual ~FileFacts() = default;

  // "%NAME%" references expanded as a process of the kind reads them
  // (as32BitProcess: a 32-bit process on 64-bit Windows).
  virtual std::wstring Expand(const std::wstring& text, bool as32BitProcess) = 0;
  // The kind of path a file string names; a drive the machine reports as
  // remote counts as network. Opens nothing.
  virtual PathKind Kind(const std::wstring& fileString) = 0;
  // The full long path of the file a registry file string names (a full
  // path, a bare name found along the search path, an 8.3 path, a "\??\"
  // path, a quoted command); the string itself when no file is found.
  // Network and device paths are answered as written, never searched.
  virtual std::wstring Resolve(const std::wstring& fileString, bool as32BitProcess) = 0;
  // True for an existing local file (not a folder).
  virtual bool Exists(const std::wstring& path) = 0;
  // The version strings of a file named by a full local drive path.
  virtual CStringDictionary VersionStrings(const std::wstring& file) = 0;
  // An "@file,-number" text from the file's string table; any other text,
  // and one whose file cannot be read, unchanged.
  virtual std::wstring IndirectString(const std::wstring& text, bool as32BitProcess) = 0;
  // The system folder of a process of the kind (the 32-bit one for
  // as32BitProcess); empty when unknown.
  virtual std::wstring SystemFolder(bool as32BitProcess) = 0;
  // What is known of a file's signature, as shown (a full local drive path
  // that exists; checked once per file and listing by the caller).
  virtual std::wstring SignatureText(const std::wstring& file) = 0;
  // A full local drive path that exists, opened for reading through the
  // machine's file source (no link followed); null when it cannot be, and
  // from a machine whose files cannot be read.
  virtual std::unique_ptr<OpenFile> OpenForReading(const std::wstring& /*file*/) { return nullptr; }
  // Where digests of files are kept for later listings over the same
  // files; null when each listing reads its files again.
  virtual KeptDigests* DigestsKept() { return nullptr; }
};

}  // namespace engine
