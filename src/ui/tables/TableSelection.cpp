// TableControlBase: the selected add-on: its details, its file, its name
// and its entry's key.
#include "ui/tables/TableControlBase.h"

#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/RecordRoots.h"
#include "engine/text/VisibleText.h"
#include "ozcore/CRegistry.h"
#include "ui/tables/FlagScope.h"
#include "ui/tables/StateDetails.h"

const CResultNode& TableControlBase::SelectedOrFirstRecord(const wchar_t* procedure) {
  int row = SelectedRow();
  if (row < 0) {
    FlagScope quiet(updating_);
    SelectRow(0);
    row = 0;
  }
  const CResultNode* record = RecordAt(row);
  if (!record) throw QlmError(kNoRecordOnRow, Context(procedure), L"Object variable or With block variable not set");
  return *record;
}

CParams TableControlBase::DetailsOf(const CResultNode& record) const {
  namespace k = discovery::keys;
  using discovery::text::VisibleText;
  CParams details;
  const std::wstring file = Value(record, k::kDll);
  if (file.empty()) {
    details.Add(LoadStr(IDS_CAPTION_FILE), LoadStr(kind_.brokenText));
    details.Add(LoadStr(IDS_CAPTION_AFFECTED_USERS), VisibleText(Value(record, k::kScope)));
  } else {
    // A path that was not opened says so beside it.
    const std::wstring note = Value(record, k::kFileNote);
    details.Add(LoadStr(IDS_CAPTION_FILE), VisibleText(file) + (note.empty() ? L"" : L" (" + note + L")"));
    if (record.params.IsInCollection(k::kManufacturer))
      details.Add(LoadStr(IDS_CAPTION_MANUFACTURER), VisibleText(Value(record, k::kManufacturer)));
    if (!Value(record, k::kVersion).empty())
      details.Add(LoadStr(IDS_COLUMN_VERSION), VisibleText(Value(record, k::kVersion)));
    if (record.params.IsInCollection(k::kScope))
      details.Add(LoadStr(IDS_CAPTION_AFFECTED_USERS), VisibleText(Value(record, k::kScope)));
  }
  AddKindDetails(record, details);
  // Which browser processes load the add-on: only a question where the
  // registry has two views.
  if (CRegistry::HasWow32View() && record.params.IsInCollection(k::kView))
    details.Add(LoadStr(IDS_CAPTION_ARCHITECTURE),
                LoadStr(record.params.Find(k::kView)->Number() == 32 ? IDS_ARCH_32 : IDS_ARCH_64));
  tables::AddStateDetails(record, details);
  // The file's hash, or why it has none; the pane's Copy command copies it.
  const std::wstring hash = Value(record, k::kSha256), hashNote = Value(record, k::kHashNote);
  if (!hash.empty() || !hashNote.empty()) details.Add(LoadStr(IDS_CAPTION_SHA256), hash.empty() ? hashNote : hash);
  // Once the host has compared this start's listing with the last one.
  if (ages_.isNew) {
    const std::wstring& seen = ages_.isNew(record) ? ages_.firstSeenNew : ages_.firstSeenEarlier;
    if (!seen.empty()) details.Add(LoadStr(IDS_CAPTION_FIRST_SEEN), seen);
  }
  return details;
}

void TableControlBase::ShowSelectedDetails() {
  const ProcedureName procedure(kind_.typeName, L"lv_ItemClick");
  if (NoRecordShown()) return;
  const CParams details = DetailsOf(SelectedOrFirstRecord(L"lv_ItemClick"));
  // A hidden table keeps its details to itself: the pane belongs to the
  // table on show, which the host asks for them when it shows one.
  if (showDetails_ && Shown()) showDetails_(details);
}

bool TableControlBase::ShowDetails() {
  const ProcedureName procedure(kind_.typeName, L"ITableControl_ShowDetails");
  if (NoRecordShown() || RowCount() == 0) return false;
  if (SelectedRow() < 0) {
    FlagScope quiet(updating_);
    SelectRow(0);
  }
  ShowSelectedDetails();
  return true;
}

std::wstring TableControlBase::CurrentFullFileName() {
  const ProcedureName procedure(kind_.typeName, L"ITableControl_CurrentFullFileName");
  const CResultNode* record = RecordAt(SelectedRow());
  if (!record || !record->params.IsInCollection(discovery::keys::kDll)) return {};
  return Value(*record, discovery::keys::kDll);
}

std::wstring TableControlBase::CurrentFullFileNameError() {
  const ProcedureName procedure(kind_.typeName, L"ITableControl_CurrentFullFileNameError");
  if (NoRecordShown()) return {};
  const CResultNode& record = SelectedOrFirstRecord(L"ITableControl_CurrentFullFileNameError");
  return Value(record, discovery::keys::kDll).empty() ? LoadStr(kind_.brokenText) : std::wstring();
}

std::wstring TableControlBase::CurrentObjectName() {
  const ProcedureName procedure(kind_.typeName, L"ITableControl_CurrentObjectName");
  const CResultNode* record = RecordAt(SelectedRow());
  if (!record) return {};  // no row, or the empty row: no add-on to name
  const std::wstring original = Value(*record, discovery::keys::kOriginalName);
  return original.empty() ? Value(*record, discovery::keys::kDisplayName) : original;
}

EntryKey TableControlBase::EntryLocation(CRegistry&, const CResultNode& record) const {
  // Where the record says its entry was found: a value of that key, or a
  // subkey of it.
  const HKEY root = ListRoot(record);
  const std::wstring hive = Value(record, discovery::keys::kHive);
  if (!root || hive.empty()) return {};
  if (kind_.entriesAreValues) return {root, hive};
  return {root, hive + L"\\" + record.ID};
}

EntryKey TableControlBase::SelectedEntryKey() {
  const ProcedureName procedure(kind_.typeName, L"SelectedEntryKey");
  const CResultNode* record = RecordAt(SelectedRow());
  if (!record) return {};
  const RegView view = discovery::ViewOfRecord(*record);
  CRegistry registry(view);
  EntryKey key = EntryLocation(registry, *record);
  key.view32 = view == RegView::Wow32 && CRegistry::HasWow32View();
  return key;
}

HKEY TableControlBase::ListRoot(const CResultNode& record) {
  const CParam* key = record.params.Find(discovery::keys::kKey);
  if (!key) return nullptr;
  const HKEY root = discovery::RootFromNumber(key->Number());
  return root == HKEY_LOCAL_MACHINE || root == HKEY_USERS ? root : nullptr;
}
