#include "qmscan/ScanRun.h"

#include <algorithm>

#include "engine/text/VisibleText.h"
#include "inventory/InventoryCompare.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"
#include "ozcore/FormatText.h"
#include "qmscan/qmscanStrings.h"

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

Listing ListEverything(const ScanIo& io) {
  Listing listing;
  listing.lists.reserve(discovery::AddonKinds().size());
  for (const auto& kind : discovery::AddonKinds()) {
    auto list = io.list(kind);
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

int Scan(const Options& options, const ScanIo& io) {
  const Listing listing = ListEverything(io);
  const std::wstring out = options.form == OutputForm::Json ? inventory::JsonDocument(listing.records)
                                                            : inventory::CsvDocument(listing.records);
  if (!io.out(out)) return kExitCannotRun;
  return listing.failedKinds.empty() ? kExitDone : kExitKindFailed;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

int Compare(const std::wstring& file, const ScanIo& io) {
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
  const Listing listing = ListEverything(io);

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

}  // namespace

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
  }
  if (options.help) return io.out(io.text(IDS_QMSCAN_HELP)) ? kExitDone : kExitCannotRun;
  return options.compare ? Compare(options.compareWith, io) : Scan(options, io);
}

}  // namespace qmscan
