// qmscan: the console companion of Quillmoor. Lists every add-on the
// discovery routines find, with all its values, as CSV or JSON, for
// inventories made from scripts, or compares them with a saved JSON
// listing. Reads only.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DllSearch.h"
#include "core/ErrorReport.h"
#include "core/RedirectionTrust.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/files/FileResolver.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryCompare.h"
#include "inventory/InventoryFiles.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"
#include "ozcore/FormatText.h"
#include "ozcore/UniqueHandle.h"
#include "qmscan/ConsoleOutput.h"
#include "qmscan/ScanArguments.h"
#include "qmscan/qmscanStrings.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitKindFailed = 1;
constexpr int kExitBadArguments = 2;
constexpr int kExitCannotRun = 3;
constexpr int kExitChanged = 4;  // --compare: something is new or gone

void Error(const std::wstring& text) { qmscan::WriteText(STD_ERROR_HANDLE, text); }

// Every kind's records, in qmscan's order. The lists own the records the
// KindRecords point to.
struct Listing {
  std::vector<CResultNodes> lists;
  std::vector<inventory::KindRecord> records;
  std::vector<std::wstring> failedKinds;
};

Listing ListEverything() {
  // One resolver for every kind: a file several entries name is searched
  // for once.
  FileResolver files(true);
  Listing listing;
  listing.lists.reserve(discovery::AddonKinds().size());
  for (const auto& kind : discovery::AddonKinds()) {
    auto list = discovery::ListAddons(kind, files);
    if (!list) {
      Error(formattext::Format(LoadStr(IDS_QMSCAN_KIND_FAILED), {kind.scanName}));
      listing.failedKinds.push_back(kind.scanName);
      continue;
    }
    listing.lists.push_back(std::move(*list));
    const CResultNodes& kept = listing.lists.back();
    for (std::size_t i = 1; i <= kept.Count(); ++i) listing.records.push_back({kind.scanName, kept.Item(i)});
  }
  return listing;
}

int Scan(const qmscan::Options& options) {
  const Listing listing = ListEverything();
  const std::wstring out = options.form == qmscan::OutputForm::Json ? inventory::JsonDocument(listing.records)
                                                                    : inventory::CsvDocument(listing.records);
  if (!qmscan::WriteText(STD_OUTPUT_HANDLE, out)) return kExitCannotRun;
  return listing.failedKinds.empty() ? kExitDone : kExitKindFailed;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

int Compare(const std::wstring& file) {
  using discovery::text::VisibleText;
  std::wstring reason;
  const auto text = inventory::ReadInventoryFile(file, &reason);
  if (!text) {
    Error(formattext::Format(LoadStr(IDS_QMSCAN_COMPARE_UNREADABLE), {VisibleText(file), VisibleText(reason)}));
    return kExitCannotRun;
  }
  const auto saved = inventory::ReadInventory(*text);
  if (!saved) {
    Error(formattext::Format(LoadStr(IDS_QMSCAN_COMPARE_MALFORMED), {VisibleText(file)}));
    return kExitCannotRun;
  }
  const Listing listing = ListEverything();

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
  if (!out.empty() && !qmscan::WriteText(STD_OUTPUT_HANDLE, out)) return kExitCannotRun;
  if (!listing.failedKinds.empty()) return kExitKindFailed;
  return out.empty() ? kExitDone : kExitChanged;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  dllsearch::RestrictDllSearch();
  // Run elevated, it must not follow a link a non-administrator made; an
  // older system without the refusal is fine (qmscan only reads).
  core::TrustOnlyAdministratorLinks();
  // No system error boxes for unreadable drives while files are looked at.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  try {
    // ozCore.dll is bound on first use; without it the first call would end
    // the process with the loader's error instead of a message. Only the
    // copy beside qmscan counts, and it stays loaded for the binding.
    const UniqueModule commonLibrary = dllsearch::LoadProgramDll(L"ozCore.dll");
    if (!commonLibrary) {
      Error(LoadStr(IDS_QMSCAN_NO_LIBRARY));
      return kExitCannotRun;
    }
    std::vector<std::wstring> args(argv + 1, argv + argc);
    qmscan::Options options;
    std::wstring culprit;
    switch (qmscan::ParseArguments(args, options, culprit)) {
      case qmscan::ArgumentError::Unknown:
        Error(formattext::Format(LoadStr(IDS_QMSCAN_UNKNOWN_ARGUMENT), {discovery::text::VisibleText(culprit)}));
        return kExitBadArguments;
      case qmscan::ArgumentError::Conflict:
        Error(LoadStr(IDS_QMSCAN_CONFLICT));
        return kExitBadArguments;
      case qmscan::ArgumentError::CompareAlone:
        Error(LoadStr(IDS_QMSCAN_COMPARE_ALONE));
        return kExitBadArguments;
      case qmscan::ArgumentError::MissingFile:
        Error(LoadStr(IDS_QMSCAN_COMPARE_NO_FILE));
        return kExitBadArguments;
      case qmscan::ArgumentError::None:
        break;
    }
    if (options.help) return qmscan::WriteText(STD_OUTPUT_HANDLE, LoadStr(IDS_QMSCAN_HELP)) ? kExitDone : kExitCannotRun;
    return options.compare ? Compare(options.compareWith) : Scan(options);
  } catch (...) {
    Error(formattext::Format(LoadStr(IDS_QMSCAN_FAILED), {discovery::text::VisibleText(CurrentError().description)}));
    return kExitCannotRun;
  }
}
