#pragma once
// What qmscan does once its arguments are read: list every kind and print
// the listing, or compare it with a saved one. The machine, the output and
// the saved file come from the caller, so the same run serves any
// platform. Platform-free.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/kinds/AddonKinds.h"
#include "engine/offline/OfflineMachine.h"
#include "ozcore/CParams.h"
#include "qmscan/MachineFacts.h"
#include "qmscan/ScanArguments.h"

namespace qmscan {

constexpr int kExitDone = 0;
constexpr int kExitKindFailed = 1;  // a kind or a user's hive could not be read
constexpr int kExitBadArguments = 2;
constexpr int kExitCannotRun = 3;
constexpr int kExitChanged = 4;  // --compare: something is new or gone

struct ScanIo {
  // A kind's records with state and signature; nothing when the kind could
  // not be listed (the listing says why in its log).
  std::function<std::optional<CResultNodes>(const discovery::AddonKind& kind)> list;
  // The text of a saved listing; nothing, with the reason, when unreadable.
  std::function<std::optional<std::wstring>(const std::wstring& file, std::wstring& reason)> readFile;
  std::function<bool(const std::wstring& text)> out;
  std::function<void(const std::wstring& text)> error;
  // The program's numbered texts.
  std::function<std::wstring(unsigned id)> text;
  // --offline: the folder standing for the image's drive C: as a file
  // source; null when it cannot be opened.
  std::function<std::unique_ptr<engine::FileSource>(const std::wstring& root)> openImage;
  // --hive: a file of this machine (and its logs beside it).
  engine::HostFileOpener openHostFile;
  // Offline: a file's own signature checked (none: not checked offline).
  engine::SignatureChecker checkSignature;
  // --output: the text written to a new file beside FILE that then takes
  // its place in one step; 0, else the system's error code.
  std::function<std::uint32_t(const std::wstring& file, const std::wstring& text)> writeOutput;
  // --jsonl over the running machine: what it tells of itself, and the
  // size and times of a file the listing read.
  std::function<MachineFacts()> liveFacts;
  std::function<std::optional<engine::FileStat>(const std::wstring& file)> liveFileStat;
  // After a live listing: the users who are not signed in whose profile's
  // hive could not be read (their SIDs).
  std::function<std::vector<std::wstring>()> liveUsersNotRead;
};

// A kind's records from a system that is not running.
std::optional<CResultNodes> ListOffline(const discovery::AddonKind& kind, engine::OfflineMachine& machine);

// The exit code of a run with these arguments (already parsed).
int RunScan(const std::vector<std::wstring>& args, const ScanIo& io);

}  // namespace qmscan
