#include "ui/tables/ListedSystem.h"

#include <algorithm>

#include "core/ErrorReport.h"
#include "engine/files/LiveFileSource.h"
#include "engine/files/RootedFileSource.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/live/LiveFileFacts.h"
#include "engine/live/LiveListing.h"
#include "engine/live/LiveMachine.h"

namespace {

// The offline system as it was read: its folder as drive C: and its hives.
struct OfflineSystem {
  OfflineSystem(engine::FileSource& host, const std::wstring& folder)
      : root(folder),
        drive(host, folder),
        machine(&drive, {}, [](const std::wstring&) { return std::unique_ptr<engine::OpenFile>(); },
                &engine::ImageFileSignatureText) {}

  std::wstring root;
  engine::RootedFileSource drive;
  engine::OfflineMachine machine;
};

bool MachineHiveOpened(const engine::OfflineReport& report) {
  return std::any_of(report.hives.begin(), report.hives.end(), [](const engine::OfflineHive& hive) {
    return hive.name == L"SOFTWARE" && hive.state == engine::OfflineHiveState::Opened;
  });
}

}  // namespace

struct ListedSystem::Parts {
  explicit Parts(FileResolver& resolver) : files(resolver) {}
  FileResolver& files;
  engine::LiveFileSource hostFiles;
  // Held by a SharedReading.
  std::unique_ptr<engine::LiveMachine> shared;
  int sharing = 0;
  std::unique_ptr<OfflineSystem> offline;
};

ListedSystem::ListedSystem(FileResolver& files) : parts_(std::make_unique<Parts>(files)) {}
ListedSystem::~ListedSystem() = default;

std::optional<CResultNodes> ListedSystem::List(const discovery::AddonKind& kind, discovery::ListingRoutine routine) {
  Parts& p = *parts_;
  if (!p.offline) {
    if (p.sharing == 0) return discovery::ListAddons(kind, p.files, routine);
    if (!p.shared) {
      try {
        p.shared = std::make_unique<engine::LiveMachine>(p.files);
      } catch (...) {
        // The kind's own reading fails the same way, and logs why.
        return discovery::ListAddons(kind, p.files, routine);
      }
    }
    return discovery::ListAddons(kind, *p.shared, routine);
  }
  std::optional<CResultNodes> records;
  Guarded(std::wstring(kind.typeName) + L".ListOffline", kLevelDiscovery, [&] {
    records = discovery::ToRecords(discovery::ListAddons(kind, p.offline->machine.Sources(), routine),
                                   discovery::RecordSource::Offline);
  });
  return records;
}

ListedSystem::SharedReading::SharedReading(ListedSystem& system) : system_(system) { ++system_.parts_->sharing; }

ListedSystem::SharedReading::~SharedReading() {
  if (--system_.parts_->sharing == 0) system_.parts_->shared.reset();
}

ListedSystem::OpenOutcome ListedSystem::OpenOffline(const std::wstring& root) {
  Parts& p = *parts_;
  // The live source refuses a share, a device and a link, at the folder
  // or on the way.
  if (!p.hostFiles.List(root)) return OpenOutcome::NoFolder;
  auto opened = std::make_unique<OfflineSystem>(p.hostFiles, root);
  if (!MachineHiveOpened(opened->machine.Report())) return OpenOutcome::NoSoftwareHive;
  p.offline = std::move(opened);
  return OpenOutcome::Opened;
}

void ListedSystem::ShowThisComputer() { parts_->offline.reset(); }

void ListedSystem::Reread() {
  Parts& p = *parts_;
  if (!p.offline) return;
  // Read whole before the earlier reading goes: a failure leaves the system
  // shown as it was, never this computer under the offline caption.
  p.offline = std::make_unique<OfflineSystem>(p.hostFiles, p.offline->root);
}

bool ListedSystem::Offline() const { return parts_->offline != nullptr; }

const std::wstring& ListedSystem::Root() const {
  static const std::wstring none;
  return parts_->offline ? parts_->offline->root : none;
}

const engine::OfflineReport* ListedSystem::Report() const {
  return parts_->offline ? &parts_->offline->machine.Report() : nullptr;
}

std::wstring ListedSystem::LocalPathOf(const std::wstring& file) {
  Parts& p = *parts_;
  if (!p.offline) return file;
  // Facts opens nothing that is a link or leaves the folder.
  if (!p.offline->drive.Facts(file)) return {};
  return p.offline->drive.Inner(file);
}
