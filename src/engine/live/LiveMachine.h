#pragma once
// The running machine as the engine's sources: its registry (raw storage,
// both views computed above it), its files through the file gate, account
// names from the local machine, and the classes this process's user sees.
// Users who are not signed in are read from their profiles' hive files,
// read-only (see MachineSources::usersNotSignedIn).
#include <memory>
#include <string>
#include <vector>

#include "engine/kinds/AddonEntry.h"

class FileResolver;

namespace engine {

class LiveMachine {
 public:
  // resolver: whose answers outlive the listing.
  explicit LiveMachine(FileResolver& resolver);
  ~LiveMachine();
  LiveMachine(const LiveMachine&) = delete;
  LiveMachine& operator=(const LiveMachine&) = delete;

  MachineSources& Sources();
  // The SIDs of profiles that are not signed in and whose hive file could
  // not be read (missing, refused, too large).
  const std::vector<std::wstring>& UsersNotRead() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace engine
