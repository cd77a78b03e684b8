#pragma once
// The one place the listing hands a path to the file system: the file
// search, the long-name conversion, existence checks, the version read and
// the indirect-string load. Every request is classified first, and a
// network or device path (a path on a drive the system reports as remote
// counts as network) is refused without being opened: registry data is
// written by whoever installed an add-on, and opening "\\host\share\x.dll"
// would reach out to that host with the user's credentials.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/files/PathKind.h"
#include "ozcore/CStringDictionary.h"

namespace discovery {

class FileGate {
 public:
  // The kind of the path a file string names (see ClassifyPath), a drive
  // the system reports as remote counted as network. Opens nothing.
  static PathKind Kind(const std::wstring& fileString);

  // The system's search for a file: a bare name in the program's folder,
  // the system folders, the Windows folder, the current folder and the
  // PATH folders, in that order, leaving out every folder that is not
  // local; a name with a folder part there only. The full path found;
  // empty when refused or not found.
  static std::wstring Search(const std::wstring& name);
  // The long form of an existing path; empty when refused or when the
  // conversion fails.
  static std::wstring LongName(const std::wstring& path);
  // True for an existing local file (not a folder).
  static bool FileExists(const std::wstring& path);
  // The version strings of a file named by a full drive path ("C:\..."):
  // any other form names no one place. Read from the file's bytes by our
  // own reader (engine::VersionStrings); empty when refused or unreadable.
  static CStringDictionary VersionStrings(const std::wstring& file);
  // An indirect "@file,-number" text resolved from the file's string
  // table; the file part's environment references expanded as a process of
  // the given kind reads them, a bare name searched for as Search does.
  // Any other text, and one whose file is refused, not found or unreadable,
  // is returned unchanged.
  static std::wstring IndirectString(const std::wstring& text, bool as32BitProcess);

  // While one lives, records every path the gate hands to the file system
  // (for a search: the name and each folder searched). Made and read on the
  // listing thread; a newer observer hides an older one until it goes.
  class Observer {
   public:
    Observer();
    ~Observer();
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;
    std::vector<std::wstring> Paths() const;

   private:
    friend class FileGate;
    void Record(const std::wstring& path);
    mutable std::mutex mutex_;
    std::vector<std::wstring> paths_;
    Observer* previous_ = nullptr;
  };

 private:
  static void Record(const std::wstring& path);
  static std::atomic<Observer*> observer_;
};

}  // namespace discovery
