#include "qmscan/ScanRun.h"

#include <algorithm>

#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryCompare.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"
#include "ozcore/FormatText.h"
#include "qmscan/OfflineReportText.h"
#include "qmscan/qmscanStrings.h"
#include "core/Strings.h"

namespace qmscan {

namespace {

using discovery::text::VisibleText;

// Every kind's records, in qmscan's order. The lists own the records the
// KindRecords point to.
struct Listing {
  std::vector<CResultNodes> lists;
  std::vector<inventory::KindRecord> records;
  std::vector<std::wstring> failedKinds;
};

using KindLister = std::function<std::optional<CResultNodes>(const discovery::AddonKind& kind)>;

Listing ListEverything(const KindLister& lister, const ScanIo& io) {
  Listing listing;
  listing.lists.reserve(discovery::AddonKinds().size());
  for (const auto& kind : discovery::AddonKinds()) {
    auto list = lister(kind);
    if (!list) {
      io.error(formattext::Format(io.text(IDS_QMSCAN_KIND_FAILED), {kind.scanName}));
      listing.failedKinds.push_back(kind.scanName);
      continue;
    }
    listing.lists.push_back(std::move(*list));
    const CResultNodes& kept = listing.lists.back();
    for (std::size_t i = 1; i <= kept.Count(); ++i) listing.records.push_back({kind.scanName, kept.Item(i)});
  }
  return listing;
}

int Scan(const Options& options, const KindLister& lister, const ScanIo& io) {
  const Listing listing = ListEverything(lister, io);
  const std::wstring out = options.form == OutputForm::Json ? inventory::JsonDocument(listing.records)
                                                            : inventory::CsvDocument(listing.records);
  if (!io.out(out)) return kExitCannotRun;
  return listing.failedKinds.empty() ? kExitDone : kExitKindFailed;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

int Compare(const std::wstring& file, const KindLister& lister, const ScanIo& io) {
  std::wstring reason;
  const auto text = io.readFile(file, reason);
  if (!text) {
    io.error(formattext::Format(io.text(IDS_QMSCAN_COMPARE_UNREADABLE), {VisibleText(file), VisibleText(reason)}));
    return kExitCannotRun;
  }
  const auto saved = inventory::ReadInventory(*text);
  if (!saved) {
    io.error(formattext::Format(io.text(IDS_QMSCAN_COMPARE_MALFORMED), {VisibleText(file)}));
    return kExitCannotRun;
  }
  const Listing listing = ListEverything(lister, io);

  // A kind that could not be listed now is left out on both sides, so that
  // its entries are not reported gone.
  std::vector<inventory::EntryIdentity> earlier, current;
  std::vector<const inventory::InventoryEntry*> earlierEntries;
  for (const auto& entry : *saved) {
    if (Contains(listing.failedKinds, entry.kind)) continue;
    earlier.push_back(inventory::IdentityOf(entry));
    earlierEntries.push_back(&entry);
  }
  for (const auto& record : listing.records) current.push_back(inventory::IdentityOf(record.kind, *record.node));

  const inventory::InventoryChanges changes = inventory::CompareInventories(earlier, current);
  std::wstring out;
  for (std::size_t i : changes.added)
    out += inventory::ChangeLine(inventory::ChangeKind::Added, current[i],
                                 inventory::DisplayNameOf(*listing.records[i].node)) +
           L"\n";
  for (std::size_t i : changes.gone)
    out += inventory::ChangeLine(inventory::ChangeKind::Gone, earlier[i],
                                 inventory::DisplayNameOf(*earlierEntries[i])) +
           L"\n";
  if (!out.empty() && !io.out(out)) return kExitCannotRun;
  if (!listing.failedKinds.empty()) return kExitKindFailed;
  return out.empty() ? kExitDone : kExitChanged;
}

// The run over a system that is not running: its hives' report goes to
// standard error first, one line each.
int RunOffline(const Options& options, const ScanIo& io) {
  std::unique_ptr<engine::FileSource> image;
  if (!options.offlineRoot.empty()) {
    image = io.openImage ? io.openImage(options.offlineRoot) : nullptr;
    if (!image) {
      io.error(formattext::Format(io.text(IDS_OFFLINE_NO_IMAGE), {VisibleText(options.offlineRoot)}));
      return kExitCannotRun;
    }
  }
  const engine::HostFileOpener noHostFiles = [](const std::wstring&) { return std::unique_ptr<engine::OpenFile>(); };
  engine::OfflineMachine machine(image.get(), options.hives, io.openHostFile ? io.openHostFile : noHostFiles,
                                 io.checkSignature);
  for (const auto& line : OfflineReportLines(machine.Report(), io.text)) io.error(line);
  const KindLister lister = [&machine](const discovery::AddonKind& kind) { return ListOffline(kind, machine); };
  return options.compare ? Compare(options.compareWith, lister, io) : Scan(options, lister, io);
}

}  // namespace

std::optional<CResultNodes> ListOffline(const discovery::AddonKind& kind, engine::OfflineMachine& machine) {
  try {
    return discovery::ToRecords(discovery::ListAddons(kind, machine.Sources()), discovery::RecordSource::Offline);
  } catch (const std::exception&) {
    // Out of memory over a huge image: this kind is not listed, the others are.
    return std::nullopt;
  }
}

int RunScan(const std::vector<std::wstring>& args, const ScanIo& io) {
  Options options;
  std::wstring culprit;
  switch (ParseArguments(args, options, culprit)) {
    case ArgumentError::Unknown:
      io.error(formattext::Format(io.text(IDS_QMSCAN_UNKNOWN_ARGUMENT), {VisibleText(culprit)}));
      return kExitBadArguments;
    case ArgumentError::Conflict:
      io.error(io.text(IDS_QMSCAN_CONFLICT));
      return kExitBadArguments;
    case ArgumentError::CompareAlone:
      io.error(io.text(IDS_QMSCAN_COMPARE_ALONE));
      return kExitBadArguments;
    case ArgumentError::MissingFile:
      io.error(io.text(IDS_QMSCAN_COMPARE_NO_FILE));
      return kExitBadArguments;
    case ArgumentError::None:
      break;
    case ArgumentError::MissingValue:
      io.error(formattext::Format(io.text(IDS_QMSCAN_MISSING_VALUE), {VisibleText(culprit)}));
      return kExitBadArguments;
    case ArgumentError::BadHive:
      io.error(formattext::Format(io.text(IDS_QMSCAN_BAD_HIVE), {VisibleText(culprit)}));
      return kExitBadArguments;
    case ArgumentError::OfflineTwice:
      io.error(io.text(IDS_QMSCAN_OFFLINE_TWICE));
      return kExitBadArguments;
  }
  if (options.help)
    return io.out(io.text(IDS_QMSCAN_HELP) + io.text(IDS_QMSCAN_HELP_OFFLINE)) ? kExitDone : kExitCannotRun;
  if (options.Offline()) return RunOffline(options, io);
  return options.compare ? Compare(options.compareWith, io.list, io) : Scan(options, io.list, io);
}

}  // namespace qmscan
