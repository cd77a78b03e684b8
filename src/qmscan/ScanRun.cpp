#include "qmscan/ScanRun.h"

#include <algorithm>
#include <chrono>

#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryCompare.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"
#include "inventory/JsonLines.h"
#include "ozcore/FormatText.h"
#include "engine/offline/OfflineReportText.h"
#include "qmscan/qmscanStrings.h"
#include "core/Strings.h"

namespace qmscan {

namespace {

using discovery::text::VisibleText;
namespace k = discovery::keys;

// Every kind's records, in qmscan's order. The lists own the records the
// KindRecords point to.
struct Listing {
  std::vector<CResultNodes> lists;
  std::vector<inventory::KindRecord> records;
  std::vector<std::wstring> failedKinds;
  std::vector<std::pair<std::wstring, std::size_t>> perKind;
};

using KindLister = std::function<std::optional<CResultNodes>(const discovery::AddonKind& kind)>;
using FileStat = std::function<std::optional<engine::FileStat>(const std::wstring& file)>;

// What a run over one machine needs besides its options and io.
struct Machine {
  KindLister list;
  std::function<MachineFacts()> facts;
  FileStat stat;
};

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
    listing.perKind.emplace_back(kind.scanName, kept.Count());
    for (std::size_t i = 1; i <= kept.Count(); ++i) listing.records.push_back({kind.scanName, kept.Item(i)});
  }
  return listing;
}

// The output to standard output, or in place of --output's file.
int Deliver(const Options& options, const std::wstring& text, const ScanIo& io) {
  if (options.outputFile.empty()) return io.out(text) ? kExitDone : kExitCannotRun;
  const std::uint32_t error = io.writeOutput ? io.writeOutput(options.outputFile, text) : 1;
  if (error == 0) return kExitDone;
  io.error(formattext::Format(io.text(IDS_QMSCAN_OUTPUT_FAILED), {VisibleText(options.outputFile), std::to_wstring(error)}));
  return kExitCannotRun;
}

std::wstring Now() {
  using namespace std::chrono;
  constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ull;
  const auto seconds = duration_cast<std::chrono::seconds>(system_clock::now().time_since_epoch()).count();
  return discovery::IsoTime((static_cast<std::uint64_t>(seconds) + kSecondsFrom1601To1970) * 10000000ull);
}

// JSON Lines of a listing: each entry (with its change when compared), the
// entries gone from the saved listing, then the summary.
struct Changes {
  std::vector<bool> added;  // by record
  std::vector<const inventory::InventoryEntry*> gone;
};
std::wstring JsonLinesOf(const Listing& listing, const Machine& machine, const Changes* changes) {
  const MachineFacts facts = machine.facts ? machine.facts() : MachineFacts{};
  const inventory::RunFacts run{Now(), facts.hostName, facts.osVersion};
  const inventory::SignatureTemplates signatures{LoadStr(IDS_SIGNED_BY), LoadStr(IDS_SIGNED_NOT_TRUSTED)};
  static const std::wstring tooLarge = LoadStr(IDS_HASH_TOO_LARGE);
  std::wstring out;
  for (std::size_t i = 0; i < listing.records.size(); ++i) {
    const CResultNode& node = *listing.records[i].node;
    inventory::LineExtras extras;
    if (changes) extras.change = changes->added[i] ? L"new" : L"same";
    // Only a file the listing opened is looked at again.
    if (machine.stat && (node.params.IsInCollection(k::kSha256) || node.params.Text(k::kHashNote) == tooLarge))
      if (const auto stat = machine.stat(node.params.Text(k::kDll))) {
        extras.fileSize = stat->size;
        if (stat->times.lastWrite != 0) extras.fileModified = discovery::IsoTime(stat->times.lastWrite);
      }
    out += inventory::JsonLine(listing.records[i].kind, node, run, extras, signatures) + L"\n";
  }
  inventory::Summary summary{listing.perKind, facts.usersRead, facts.usersNotSignedIn, facts.hivesDirty,
                             listing.failedKinds, std::nullopt, std::nullopt};
  if (changes) {
    for (const auto* entry : changes->gone)
      out += inventory::JsonLine(entry->kind, entry->record, run, {L"gone", std::nullopt, L""}, signatures) + L"\n";
    summary.added = static_cast<std::size_t>(std::count(changes->added.begin(), changes->added.end(), true));
    summary.gone = changes->gone.size();
  }
  return out + inventory::SummaryLine(summary, run) + L"\n";
}

int Scan(const Options& options, const Machine& machine, const ScanIo& io) {
  const Listing listing = ListEverything(machine.list, io);
  std::wstring out;
  switch (options.form) {
    case OutputForm::Json: out = inventory::JsonDocument(listing.records); break;
    case OutputForm::Csv: out = inventory::CsvDocument(listing.records); break;
    case OutputForm::JsonLines: out = JsonLinesOf(listing, machine, nullptr); break;
  }
  const int delivered = Deliver(options, out, io);
  if (delivered != kExitDone) return delivered;
  return listing.failedKinds.empty() ? kExitDone : kExitKindFailed;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

int Compare(const Options& options, const Machine& machine, const ScanIo& io) {
  const std::wstring& file = options.compareWith;
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
  const Listing listing = ListEverything(machine.list, io);

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
  const bool changed = !changes.added.empty() || !changes.gone.empty();
  std::wstring out;
  if (options.form == OutputForm::JsonLines) {
    Changes marks{std::vector<bool>(current.size(), false), {}};
    for (std::size_t i : changes.added) marks.added[i] = true;
    for (std::size_t i : changes.gone) marks.gone.push_back(earlierEntries[i]);
    out = JsonLinesOf(listing, machine, &marks);
  } else {
    for (std::size_t i : changes.added)
      out += inventory::ChangeLine(inventory::ChangeKind::Added, current[i],
                                   inventory::DisplayNameOf(*listing.records[i].node)) + L"\n";
    for (std::size_t i : changes.gone)
      out += inventory::ChangeLine(inventory::ChangeKind::Gone, earlier[i], inventory::DisplayNameOf(*earlierEntries[i])) +
             L"\n";
  }
  // Nothing changed: nothing printed, but --output's file is this run's.
  if ((!out.empty() || !options.outputFile.empty()) && Deliver(options, out, io) != kExitDone) return kExitCannotRun;
  if (!listing.failedKinds.empty()) return kExitKindFailed;
  return changed ? kExitChanged : kExitDone;
}

int Run(const Options& options, const Machine& machine, const ScanIo& io) {
  return options.compare ? Compare(options, machine, io) : Scan(options, machine, io);
}

// A hive that is there but could not be read, or a profile off the
// image's drive: a user (or the machine) not read.
bool SomeHiveUnread(const engine::OfflineReport& report) {
  return !report.profilesOutside.empty() ||
         std::any_of(report.hives.begin(), report.hives.end(),
                     [](const engine::OfflineHive& hive) { return hive.state == engine::OfflineHiveState::Refused; });
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
  engine::OfflineMachine offline(image.get(), options.hives, io.openHostFile ? io.openHostFile : noHostFiles,
                                 io.checkSignature);
  const engine::OfflineReport& report = offline.Report();
  for (const auto& line : engine::OfflineReportLines(report, io.text)) io.error(line);
  Machine machine;
  machine.list = [&offline](const discovery::AddonKind& kind) { return ListOffline(kind, offline); };
  machine.facts = [&offline, &report] {
    // The computer's name is in the system hive, which is not read.
    MachineFacts facts = FactsOf(offline.Sources());
    facts.hivesDirty = static_cast<std::size_t>(
        std::count_if(report.hives.begin(), report.hives.end(), [](const engine::OfflineHive& h) { return h.dirty; }));
    return facts;
  };
  if (image) machine.stat = [&image](const std::wstring& file) { return image->Facts(file); };
  const int code = Run(options, machine, io);
  return (code == kExitDone || code == kExitChanged) && SomeHiveUnread(report) ? kExitKindFailed : code;
}

// The message of an argument error; 0 for none.
int RefuseArguments(ArgumentError error, const std::wstring& culprit, const ScanIo& io) {
  switch (error) {
    case ArgumentError::None: return kExitDone;
    case ArgumentError::Unknown:
      io.error(formattext::Format(io.text(IDS_QMSCAN_UNKNOWN_ARGUMENT), {VisibleText(culprit)}));
      break;
    case ArgumentError::Conflict: io.error(io.text(IDS_QMSCAN_CONFLICT)); break;
    case ArgumentError::FormConflict: io.error(io.text(IDS_QMSCAN_FORM_CONFLICT)); break;
    case ArgumentError::CompareAlone: io.error(io.text(IDS_QMSCAN_COMPARE_ALONE)); break;
    case ArgumentError::MissingFile: io.error(io.text(IDS_QMSCAN_COMPARE_NO_FILE)); break;
    case ArgumentError::MissingValue:
      io.error(formattext::Format(io.text(IDS_QMSCAN_MISSING_VALUE), {VisibleText(culprit)}));
      break;
    case ArgumentError::BadHive:
      io.error(formattext::Format(io.text(IDS_QMSCAN_BAD_HIVE), {VisibleText(culprit)}));
      break;
    case ArgumentError::OfflineTwice: io.error(io.text(IDS_QMSCAN_OFFLINE_TWICE)); break;
    case ArgumentError::OutputTwice: io.error(io.text(IDS_QMSCAN_OUTPUT_TWICE)); break;
  }
  return kExitBadArguments;
}

int RunParsed(const Options& options, const ScanIo& io) {
  if (options.help)
    return Deliver(options, io.text(IDS_QMSCAN_HELP) + io.text(IDS_QMSCAN_HELP_OFFLINE) + io.text(IDS_QMSCAN_HELP_FLEET),
                   io);
  if (options.Offline()) return RunOffline(options, io);
  const int code = Run(options, Machine{io.list, io.liveFacts, io.liveFileStat}, io);
  // A user whose hive was not read is said, and the run did not list all.
  const std::vector<std::wstring> notRead = io.liveUsersNotRead ? io.liveUsersNotRead() : std::vector<std::wstring>();
  for (const auto& sid : notRead) io.error(formattext::Format(io.text(IDS_QMSCAN_USER_NOT_READ), {VisibleText(sid)}));
  return (code == kExitDone || code == kExitChanged) && !notRead.empty() ? kExitKindFailed : code;
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
  const ArgumentError error = ParseArguments(args, options, culprit);
  if (error != ArgumentError::None) return RefuseArguments(error, culprit, io);
  if (!options.quiet) return RunParsed(options, io);
  // Quiet: what would go to standard error is held, and written only when
  // the run fails.
  std::vector<std::wstring> held;
  ScanIo quiet = io;
  quiet.error = [&held](const std::wstring& text) { held.push_back(text); };
  const int code = RunParsed(options, quiet);
  if (code == kExitKindFailed || code == kExitBadArguments || code == kExitCannotRun)
    for (const auto& text : held) io.error(text);
  return code;
}

}  // namespace qmscan
