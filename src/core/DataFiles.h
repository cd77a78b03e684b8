#pragma once
// The data folder's files as the program writes and reads them. Every
// folder from the drive's root down to the data folder and its Backup
// folder is opened without following a link and held while it is used
// (SafeFolder); a link anywhere on the way refuses the place: nothing is
// written there. When the program runs as an administrator the two folders
// are given to the administrators (the user may only read them), a folder
// given to them before that is no longer theirs is refused, and every file
// written into the Backup folder has its SHA-256 recorded where only
// administrators write (WrittenRecord), so that a backup or inventory
// changed afterwards is known. Nothing of that happens in a run that is not
// an administrator's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "ozcore/SafeFolder.h"

namespace core {

enum class DataPlace { Data, Backup };

// What became of the use of a place.
struct PlaceOutcome {
  enum class Kind {
    Used,
    Link,               // a link on the way, at the place, or at a file's name
    NotAdministrators,  // a folder given to the administrators is no longer theirs
    Failed,             // the system refused, or the folder is missing
  };
  Kind kind = Kind::Used;
  std::wstring place;  // the folder or file concerned
  // For Link and NotAdministrators the text for the log and the user
  // ("The backup folder ... was replaced by a link; nothing was written.");
  // for Failed the system's reason.
  std::wstring text;
  // A record the opening made before the log may have been open (the
  // folder could not be given to the administrators); start-up logs it.
  std::wstring note;
  bool Refused() const { return kind == Kind::Link || kind == Kind::NotAdministrators; }
};

struct WriteResult {
  bool written = false;
  bool nameTaken = false;  // not replacing, and the name exists
  std::wstring path;
  PlaceOutcome outcome;
};

struct ReadResult {
  std::optional<std::string> bytes;
  // False when the program runs as an administrator and the file is not as
  // it wrote it (changed since, or never written by it).
  bool asWritten = true;
  PlaceOutcome outcome;
};

// The data folder or its Backup folder, open for as long as this lives.
class PlaceFiles {
 public:
  // Opens the place (create: making what is missing), checks it and, for
  // an administrator, gives it to the administrators.
  PlaceFiles(const DataFolder& data, DataPlace place, bool create);

  bool IsOpen() const { return folder_.IsOpen(); }
  const PlaceOutcome& Outcome() const { return outcome_; }
  const std::wstring& Path() const { return folder_.Path(); }

  // Writes the whole file (see SafeFolder::WriteWholeFile); in the Backup
  // folder of an administrator's run its hash is recorded.
  WriteResult Write(const std::wstring& name, const std::string& bytes, bool replace) const;
  // Writes under stem + extension, never over an earlier file: a name that
  // is taken (two saves in one second) becomes "stem (2)" and so on.
  WriteResult WriteNew(const std::wstring& stem, const std::wstring& extension, const std::string& bytes) const;
  // Reads the whole file, at most limit bytes, with its record's verdict
  // (a file of the Backup folder without a record is not read at all).
  ReadResult Read(const std::wstring& name, std::uint64_t limit) const;
  // The names of the plain files in the place.
  std::vector<std::wstring> FileNames() const { return folder_.FileNames(); }
  // The files whose name ends in suffix (any letter case) that are not as
  // the program wrote them; always empty when not an administrator's run.
  std::vector<std::wstring> ChangedFiles(const std::wstring& suffix) const;

 private:
  void Refuse(const PlaceCheck& check);
  bool GiveToAdministrators();

  DataFolder data_;
  DataPlace place_;
  SafeFolder folder_;
  PlaceOutcome outcome_;
};

// Opens (making it when missing) and checks the data folder at start-up;
// the outcome says whether logs and backups may be written there.
PlaceOutcome PrepareDataFolder(const DataFolder& data);

// Writes a file the user chose: below the data folder through its checked
// chain (and recorded as any in the Backup folder), elsewhere through the
// folder the system resolves (a link at the name is replaced, never written
// through).
WriteResult WriteChosenFile(const DataFolder& data, const std::wstring& path, const std::string& bytes);

// Whether this process can act as an administrator: the token's
// Administrators group is enabled (an elevated or built-in administrator).
bool RunsAsAdministrator();

}  // namespace core
