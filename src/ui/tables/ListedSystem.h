#pragma once
// The system whose add-ons the tables list: this computer, or a Windows
// system that is not running, opened from a folder standing for its drive
// C: (read only; nothing in it is ever changed).
//
// This computer is read afresh for every listing, so that a table shows a
// deletion at once; while a SharedReading is held, every table's listing
// reads one machine (the hives of users who are not signed in are read
// once per refresh, not once per table). An offline system is read when it
// is opened and again on Reread (the window's Refresh).
#include <memory>
#include <optional>
#include <string>

#include "engine/kinds/AddonKinds.h"
#include "engine/offline/OfflineMachine.h"
#include "ozcore/CParams.h"

class FileResolver;

class ListedSystem {
 public:
  // files: resolves this computer's entries' files; it must outlive this.
  explicit ListedSystem(FileResolver& files);
  ~ListedSystem();
  ListedSystem(const ListedSystem&) = delete;
  ListedSystem& operator=(const ListedSystem&) = delete;

  // The kind's listing from the system shown (routine: the kind's own
  // unless given); no list when it failed (logged under the kind's own
  // context).
  std::optional<CResultNodes> List(const discovery::AddonKind& kind, discovery::ListingRoutine routine = nullptr);

  // While one lives, this computer's listings share one reading of it.
  class SharedReading {
   public:
    explicit SharedReading(ListedSystem& system);
    ~SharedReading();
    SharedReading(const SharedReading&) = delete;
    SharedReading& operator=(const SharedReading&) = delete;

   private:
    ListedSystem& system_;
  };

  // What opening a folder as an offline system found.
  enum class OpenOutcome {
    Opened,
    NoFolder,     // no local folder there that can be read (or a link)
    NoSoftwareHive,  // no readable machine hive in it: nothing would be listed
  };
  // Shows the system whose drive C: is root (a full local path). Until it
  // opens, the system shown stays as it was.
  OpenOutcome OpenOffline(const std::wstring& root);
  // Shows this computer again.
  void ShowThisComputer();
  // Offline: reads the image again (its hives may have changed).
  void Reread();

  bool Offline() const;
  // The offline system's folder as given; empty for this computer.
  const std::wstring& Root() const;
  // What the offline system's hives were like when last read; null for
  // this computer.
  const engine::OfflineReport* Report() const;
  // Where a file an entry names is on this computer: the path itself for
  // this computer; offline, the file's place in the image's folder, or
  // empty when the file is not in the image (another drive, a share, a
  // link, no such file).
  std::wstring LocalPathOf(const std::wstring& file);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};
