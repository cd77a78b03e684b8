#include "ui/main/StartInventory.h"

#include <windows.h>

#include <cstdio>

#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "inventory/InventoryCompare.h"
#include "inventory/InventoryFiles.h"
#include "inventory/InventoryText.h"
#include "ozcore/FormatText.h"
#include "ozcore/PathText.h"
#include "ozcore/Utf8Text.h"
#include "ui/tables/TableControlBase.h"

namespace {

constexpr wchar_t kContext[] = L"FMain.SaveInventory";

std::wstring TimeText(const SYSTEMTIME& time) {
  wchar_t text[32] = {};
  std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

// "...\Inventory 2026-12-07 09-15-02.json" (or "... (2).json"): the time
// as TimeText writes it; the file name's part when it is not of that form.
std::wstring TimeOfFile(const std::wstring& path) {
  const std::wstring prefix = L"Inventory ";
  const std::size_t slash = path.find_last_of(L'\\');
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + 19) return name;
  std::wstring time = name.substr(prefix.size(), 19);
  if (time[13] == L'-' && time[16] == L'-') time[13] = time[16] = L':';
  return time;
}

using Listing = std::pair<std::wstring, std::vector<inventory::InventoryEntry>>;

// The newest earlier inventory in the backup folder that can be read and,
// in an administrator's run, is as the program wrote it: its path and
// entries. One changed since (or never written by the program) is passed
// over for the one before, up to a few; one that cannot be read ends the
// search. Each is logged.
std::optional<Listing> EarlierListing(const core::PlaceFiles& backup, const std::wstring& except) {
  constexpr int kMostPassedOver = 10;
  int passedOver = 0;
  for (const auto& file : inventory::EarlierInventories(backup.Path(), except)) {
    const core::ReadResult read = backup.Read(pathtext::FileNamePart(file), inventory::kMaxInventoryFileBytes);
    if (!read.asWritten) {
      LogRecord(0, formattext::Format(LoadStr(IDS_LOG_INVENTORY_CHANGED), {file}), kLevelDiscovery, kContext);
      if (++passedOver == kMostPassedOver) return std::nullopt;
      continue;
    }
    const auto text = read.bytes ? inventory::DecodeUtf8(*read.bytes) : std::nullopt;
    auto entries = text ? inventory::ReadInventory(*text) : std::nullopt;
    if (entries) return Listing(file, std::move(*entries));
    const std::wstring reason = read.bytes ? LoadStr(IDS_INVENTORY_NOT_A_LISTING) : read.outcome.text;
    LogRecord(0, formattext::Format(LoadStr(IDS_LOG_INVENTORY_UNREADABLE), {file, reason}), kLevelDiscovery, kContext);
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

void StartInventory::SaveAndCompare(const core::DataFolder& data, const std::vector<TableControlBase*>& tables) {
  // A step of the start of its own: a failure leaves this start without
  // marks, and the window opens all the same.
  CatchAtEdge(L"FMain", L"SaveInventory", kLevelError, [&] { SaveAndCompareNow(data, tables); });
}

void StartInventory::SaveAndCompareNow(const core::DataFolder& data, const std::vector<TableControlBase*>& tables) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  now_ = TimeText(now);
  std::vector<inventory::KindRecord> records;
  std::vector<inventory::EntryIdentity> current;
  std::vector<std::wstring> names;
  for (TableControlBase* table : tables) {
    for (const auto& record : table->Records()) {
      records.push_back({table->Kind().scanName, record.get()});
      current.push_back(inventory::IdentityOf(table->Kind().scanName, *record));
      names.push_back(inventory::DisplayNameOf(*record));
    }
  }

  const core::PlaceFiles backup(data, core::DataPlace::Backup, true);
  if (!backup.IsOpen()) {
    LogRecord(0, formattext::Format(LoadStr(IDS_LOG_INVENTORY_FAILED), {backup.Outcome().text}), kLevelDiscovery,
              kContext);
    return;
  }
  const std::wstring path = inventory::InventoryFileName(backup.Path(), now);
  const core::WriteResult written =
      path.empty()
          ? core::WriteResult{}
          : backup.Write(pathtext::FileNamePart(path), utf8text::ToUtf8(inventory::JsonDocument(records)), false);
  if (!written.written) {
    const std::wstring reason = path.empty() || written.nameTaken ? L"No file name is free." : written.outcome.text;
    LogRecord(0, formattext::Format(LoadStr(IDS_LOG_INVENTORY_FAILED), {reason}), kLevelDiscovery, kContext);
  }

  const auto earlierFile = EarlierListing(backup, path);
  if (!earlierFile) return;
  const std::vector<inventory::InventoryEntry>& entries = earlierFile->second;
  std::vector<inventory::EntryIdentity> earlier;
  earlier.reserve(entries.size());
  for (const auto& entry : entries) earlier.push_back(inventory::IdentityOf(entry));
  const inventory::InventoryChanges changes = inventory::CompareInventories(earlier, current);
  for (std::size_t i : changes.added)
    LogInformation(inventory::ChangeLine(inventory::ChangeKind::Added, current[i], names[i]), kContext);
  for (std::size_t i : changes.gone)
    LogInformation(
        inventory::ChangeLine(inventory::ChangeKind::Gone, earlier[i], inventory::DisplayNameOf(entries[i].record)),
        kContext);
  earlierEntries_ = std::set<inventory::EntryIdentity>(earlier.begin(), earlier.end());
  newCount_ = changes.added.size();
  goneCount_ = changes.gone.size();
  earlier_ = TimeOfFile(earlierFile->first);
  compared_ = true;
}

bool StartInventory::IsNew(const std::wstring& kind, const CResultNode& record) const {
  return compared_ && earlierEntries_.count(inventory::IdentityOf(kind, record)) == 0;
}

void StartInventory::MarkTables(const std::vector<TableControlBase*>& tables) const {
  for (TableControlBase* table : tables) {
    TableControlBase::AgeMarks marks;
    const std::wstring kind = table->Kind().scanName;
    marks.isNew = [this, kind](const CResultNode& record) { return IsNew(kind, record); };
    marks.firstSeenNew = formattext::Format(LoadStr(IDS_FIRST_SEEN_NOW), {now_});
    marks.firstSeenEarlier = formattext::Format(LoadStr(IDS_FIRST_SEEN_BEFORE), {earlier_});
    table->SetAgeMarks(std::move(marks));
  }
}
