#pragma once
// A folder opened so that nothing beyond it is ever touched. The program
// runs elevated, while the folders it writes into belong to the user that
// adware runs as: any name there may have been turned into a link to
// somewhere else. A SafeFolder holds a handle to every folder from the
// drive's (or share's) root down to its own, each opened relative to the
// one above without following a link and checked (not a link, and the
// system's final path is the one meant), and none of them shared for
// deletion, so none can be renamed or swapped while it is held. Files are
// created, replaced, appended to and read only by name relative to the
// last handle, and checked the same way before a byte is written.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ozcore/OzCoreExport.h"
#include "ozcore/UniqueHandle.h"

// What was wrong with a folder or file, when something was.
enum class PlaceProblem : std::uint8_t {
  None,
  Link,        // a link (a reparse point, or a name that led somewhere else)
  HardLinked,  // a file that also has another name
  BadPath,     // not an absolute path of plain names on a drive or share
  Missing,     // a folder that is not there (opened without creating)
  Failed,      // the system refused; error holds its code
};

struct PlaceCheck {
  PlaceProblem problem = PlaceProblem::None;
  std::wstring place;       // the path of the folder or file found wrong
  std::uint32_t error = 0;  // the system's error code, for Failed
  bool Ok() const { return problem == PlaceProblem::None; }
};

// A system error code that describes the check's problem (0 for none), for
// messages that show the system's text.
OZCORE_API std::uint32_t ErrorCodeOf(const PlaceCheck& check);

class OZCORE_API SafeFolder {
 public:
  SafeFolder();
  ~SafeFolder();
  SafeFolder(SafeFolder&& other) noexcept;
  SafeFolder& operator=(SafeFolder&& other) noexcept;
  SafeFolder(const SafeFolder&) = delete;
  SafeFolder& operator=(const SafeFolder&) = delete;

  // Opens every folder from the root down to path, one name at a time;
  // create makes the missing ones. Check() says why it is not open.
  static SafeFolder Open(const std::wstring& path, bool create);
  // A folder the user chose: opened by its path as the system resolves
  // it, links on the way included. Its files are handled as in any other.
  static SafeFolder OpenChosen(const std::wstring& path);

  bool IsOpen() const;
  const PlaceCheck& Check() const;
  // The path the folder was opened by.
  const std::wstring& Path() const;
  HANDLE Handle() const;

  // Opens (create: makes) the folder name inside this one, checked the
  // same way, and makes it the end of the chain. On failure the chain is
  // closed and Check() says why.
  bool Descend(const std::wstring& name, bool create);

  enum class WriteOutcome { Written, NameTaken, Failed };
  // Writes bytes as the file name: first into a new file of a random name,
  // which is then renamed to name through its own handle (replace: over a
  // file of that name, or a link, which is replaced itself, never its
  // target). A failed write removes the new file through its handle and
  // leaves name as it was. NameTaken: not replace, and name exists.
  WriteOutcome WriteWholeFile(const std::wstring& name, const std::string& bytes, bool replace,
                              PlaceCheck& check) const;
  // Opens the file name for appending, creating it when missing; refused
  // (empty) when it is a link or has another name.
  UniqueFile OpenForAppend(const std::wstring& name, PlaceCheck& check) const;
  // The whole of the file name, at most limit bytes; nullopt when it is
  // missing, larger, a link or has another name (check says which).
  std::optional<std::string> ReadWholeFile(const std::wstring& name, std::uint64_t limit, PlaceCheck& check) const;
  // The names of the plain files in the folder (no folders, no links).
  std::vector<std::wstring> FileNames() const;

  // Whether the folder's owner is the Administrators group.
  bool OwnedByAdministrators() const;
  // Makes the Administrators group the folder's owner and gives it an
  // access list of its own, inherited by what is made inside: the
  // administrators and the system may do anything, reader (a SID as text)
  // and any owner may only read. 0 or the system's error code.
  std::uint32_t LimitWritingToAdministrators(const std::wstring& reader) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
