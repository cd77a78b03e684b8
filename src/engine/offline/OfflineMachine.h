#pragma once
// A Windows system that is not running, as the engine's sources: its hives
// read by our own reader (dirty ones with their logs, in memory; nothing is
// ever written), its files through a file source standing for its drive
// C:, its variables and folders from its own hives, and each user named by
// their profile folder. Platform-free.
//
// The classes root merges one user's class registrations over the
// machine's; offline there is no user whose classes are "the" current
// ones, so every user's entries are looked up in the machine's classes.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/files/FileSource.h"
#include "engine/files/SourceFileFacts.h"
#include "engine/kinds/AddonEntry.h"
#include "engine/sources/HiveFile.h"

namespace engine {

// A hive file given on its own, outside any image.
struct LooseHive {
  enum class Kind { Machine, User, Classes };
  Kind kind = Kind::Machine;
  std::wstring sid;   // the user's, for User and Classes
  std::wstring path;  // a path of the host, opened by the caller's opener
};

// A file of the host opened for a loose hive; null when it cannot be.
using HostFileOpener = std::function<std::unique_ptr<OpenFile>(const std::wstring& path)>;
// A file of the image (null when it cannot be opened): its signature as shown.
using SignatureChecker = std::function<std::wstring(OpenFile* file)>;

// What became of one hive the machine looked for.
enum class OfflineHiveState {
  Opened,
  Missing,    // no plain file there (a link counts as none)
  Refused,    // a file that is no readable hive (refusal says why)
  NameTaken,  // its top key was given twice: the first one given is read
};

struct OfflineHive {
  std::wstring name;  // its top key: "SOFTWARE", ".DEFAULT", "<SID>", "<SID>_Classes"
  std::wstring file;  // where it was looked for: an image path, or a host path
  OfflineHiveState state = OfflineHiveState::Missing;
  HiveRefusal refusal = HiveRefusal::None;
  bool dirty = false;
  HiveRecovery recovery;
};

// A profile the image lists whose folder is not on its drive.
struct OfflineProfileOutside {
  std::wstring sid, path;
};

struct OfflineReport {
  std::vector<OfflineHive> hives;  // in the order they were looked for
  std::vector<OfflineProfileOutside> profilesOutside;
};

class OfflineMachine {
 public:
  // image: the system's drive C: (null: loose hives only, and no files).
  // image and openHost must outlive the machine. checkSignature: what
  // checks a file's own signature (none: "Not checked (offline)").
  OfflineMachine(FileSource* image, const std::vector<LooseHive>& loose, const HostFileOpener& openHost,
                 const SignatureChecker& checkSignature = {});
  ~OfflineMachine();
  OfflineMachine(const OfflineMachine&) = delete;
  OfflineMachine& operator=(const OfflineMachine&) = delete;

  MachineSources& Sources();
  const OfflineReport& Report() const;
  // What the files are read with: variables, folders, signature text.
  const SystemDescription& System() const;

  // Where the image's own hives are.
  static constexpr const wchar_t* kConfigFolder = L"C:\\Windows\\System32\\config\\";
  static constexpr const wchar_t* kSystemProfileHive =
      L"C:\\Windows\\System32\\config\\systemprofile\\NTUSER.DAT";

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace engine
