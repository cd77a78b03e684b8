#include "ui/tables/TableControlBase.h"

#include <commctrl.h>
#include <windowsx.h>

#include "core/ProgramResources.h"
#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/VisibleText.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"
#include "engine/kinds/AddonListing.h"
#include "ui/tables/StateCommand.h"
#include "ui/tables/StateDetails.h"
#include "ui/tables/SharedColumns.h"
#include "ui/tables/TableText.h"
#include "ui/widgets/ImageStore.h"
#include "ui/widgets/PopupMenu.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmoorTable";
constexpr int kCaptionId = 1;
constexpr int kListId = 2;
constexpr int kRowImage = 1200;
constexpr int kRowImageSize = 16;

// The row-operation errors the table raises itself, in the numbering of
// the list widget it stands in for.
constexpr std::int32_t kNoSuchRow = errors::kIndexOutOfBounds;
constexpr std::int32_t kNoRecordOnRow = errors::kObjectNotSet;

// Sets a flag for one scope.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

TableControlBase::TableControlBase(std::int32_t kindId, FileResolver& files)
    : kind_(discovery::Kind(kindId)), files_(files) {}

TableControlBase::~TableControlBase() { DestroyWidget(); }

std::wstring TableControlBase::Context(const wchar_t* procedure) const {
  return std::wstring(kind_.typeName) + L"." + procedure;
}

bool TableControlBase::Create(HWND parent) {
  if (!CreateWidget(kClassName, parent, kind_.id, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS)) return false;
  const std::wstring caption = CaptionText();
  if (!caption_.Create(Hwnd(), kCaptionId, caption)) return false;
  if (!list_.Create(Hwnd(), kListId, caption)) return false;
  UserControl_Resize();
  return true;
}

void TableControlBase::Finalize() { showDetails_ = nullptr; }

std::optional<CResultNodes> TableControlBase::Discover() const { return kind_.list(files_); }

std::wstring TableControlBase::CaptionText() const { return LoadStr(kind_.caption); }

void TableControlBase::AddKindDetails(const CResultNode&, CParams&) const {}

std::wstring TableControlBase::ConfirmationText(const CResultNode&, const std::wstring& name) const {
  return formattext::Format(LoadStr(IDS_CONFIRM_DELETE), {name});
}

bool TableControlBase::OnKindKey(WPARAM) { return false; }

void TableControlBase::Init(DetailsSink showDetails, PopupMenu* contextMenu) {
  AddColumns();
  LoadRowImage();
  showDetails_ = std::move(showDetails);
  contextMenu_ = contextMenu;
  RefreshList();
}

void TableControlBase::AddColumns() {
  if (columnsAdded_ || !list_.Hwnd()) return;
  std::vector<AddonList::Column> columns;
  for (unsigned id : kind_.columns) columns.push_back({LoadStr(id), true});
  for (const auto& shared : tables::SharedColumns())
    columns.push_back({LoadStr(shared.caption), false, shared.widthLimit, shared.path, shared.givesWayLast});
  list_.SetColumns(std::move(columns));
  std::vector<std::wstring> empty;
  for (unsigned id : kind_.emptyTexts) empty.push_back(LoadStr(id));
  list_.SetPlaceholders(std::move(empty), LoadStr(IDS_FILTER_NO_MATCH));
  columnsAdded_ = true;
  LayoutColumns();
}

void TableControlBase::LoadRowImage() {
  if (!list_.Hwnd()) return;
  // Rows without their picture are better than no table: a missing image
  // is logged and the list goes on without it.
  Guarded(Context(L"Init"), kLevelError, [&] {
    ProgramResources resource;
    resource.Init(ProgramResources::ProgramFile());
    const int size = Scale(kRowImageSize);
    UniqueImageList images(ImageList_Create(size, size, ILC_COLOR32, 1, 1));
    UniqueIcon icon = ImageStore::LoadPngIcon(resource.hModule(), kRowImage, size, size);
    if (!images || !icon || ImageList_AddIcon(images.get(), icon.get()) < 0)
      throw QlmError(kObjectErrorBase + 1200, Context(L"Init"), L"The row image could not be loaded");
    SendMessageW(list_.Hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
    images_ = std::move(images);
  });
}

void TableControlBase::OnDpiChanged() {
  if (!Hwnd()) return;
  if (images_) LoadRowImage();
  UserControl_Resize();
}



int TableControlBase::SelectedRow() const { return list_.SelectedRow(); }

const CResultNode* TableControlBase::RecordAt(int row) const { return SharedRecordAt(row).get(); }

std::shared_ptr<CResultNode> TableControlBase::SharedRecordAt(int row) const {
  const std::optional<std::size_t> record = list_.RecordOfRow(row);
  return record && *record < records_.size() ? records_[*record] : nullptr;
}

std::vector<const CResultNode*> TableControlBase::ShownRecords() const {
  std::vector<const CResultNode*> shown;
  for (int row = 0; row < RowCount(); ++row)
    if (const CResultNode* record = RecordAt(row)) shown.push_back(record);
  return shown;
}

std::wstring TableControlBase::RowText(int row) const {
  const std::optional<std::size_t> record = list_.RecordOfRow(row);
  return record ? list_.Cell(*record, 0) : std::wstring();
}



void TableControlBase::SelectRow(int row) {
  if (row < 0 || row >= RowCount()) throw QlmError(kNoSuchRow, L"ListView", L"Index out of bounds");
  list_.SelectRow(row);
}

std::vector<std::wstring> TableControlBase::Cells(const CResultNode& record, bool visible) const {
  // Names come from the registry: control characters and the like are
  // shown escaped, so a name can neither hide nor pass for another.
  auto shown = [visible](const std::wstring& text) { return visible ? discovery::text::VisibleText(text) : text; };
  std::vector<std::wstring> cells;
  std::vector<std::wstring> names = RowTexts(record);
  names.resize(kind_.columns.size());
  for (const auto& name : names) cells.push_back(shown(name));
  for (const auto& shared : tables::SharedColumns()) cells.push_back(shown(shared.cell(record)));
  return cells;
}

std::wstring TableControlBase::SearchText(const std::vector<std::wstring>& cells, std::size_t nameColumns) {
  // The name(s) and the searched shared columns; a line break keeps a word
  // from matching across two of them.
  std::wstring text;
  for (std::size_t i = 0; i < nameColumns && i < cells.size(); ++i) text += cells[i] + L"\n";
  const auto& shared = tables::SharedColumns();
  for (std::size_t i = 0; i < shared.size() && nameColumns + i < cells.size(); ++i)
    if (shared[i].searched) text += cells[nameColumns + i] + L"\n";
  return text;
}

void TableControlBase::FillList() {
  std::vector<std::vector<std::wstring>> cells;
  std::vector<std::wstring> search;
  std::vector<bool> isNew, inactive;
  cells.reserve(records_.size());
  search.reserve(records_.size());
  for (const auto& record : records_) {
    cells.push_back(Cells(*record));
    search.push_back(SearchText(cells.back(), kind_.columns.size()));
    isNew.push_back(ages_.isNew && ages_.isNew(*record));
    inactive.push_back(tables::RecordLooksInactive(*record));
  }
  list_.SetRecords(std::move(cells), search, std::move(isNew));
  list_.SetInactive(std::move(inactive));
  UpdateCaption();
  if (rowsChanged) rowsChanged();
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
  EntryKey key;
  Guarded(Context(L"SelectedEntryKey"), kLevelError, [&] {
    const CResultNode* record = RecordAt(SelectedRow());
    if (!record) return;
    const RegView view = discovery::ViewOfRecord(*record);
    CRegistry registry(view);
    key = EntryLocation(registry, *record);
    key.view32 = view == RegView::Wow32 && CRegistry::HasWow32View();
  });
  return key;
}

std::vector<std::wstring> TableControlBase::ShownColumnCaptions() const {
  std::vector<std::wstring> captions;
  for (std::size_t column = 0; column < list_.ColumnCount(); ++column)
    if (list_.ColumnShown(column)) captions.push_back(list_.Caption(column));
  return captions;
}

std::vector<std::vector<std::wstring>> TableControlBase::ShownRowCells() const {
  std::vector<std::vector<std::wstring>> rows;
  for (const CResultNode* record : ShownRecords()) {
    const std::vector<std::wstring> cells = Cells(*record, false);
    std::vector<std::wstring> row;
    for (std::size_t column = 0; column < cells.size(); ++column)
      if (list_.ColumnShown(column)) row.push_back(cells[column]);
    rows.push_back(std::move(row));
  }
  return rows;
}

void TableControlBase::UpdateCaption() {
  std::wstring parts;
  if (list_.Filtered())
    parts = formattext::Format(LoadStr(IDS_CAPTION_SHOWN_OF),
                               {std::to_wstring(list_.ShownCount()), std::to_wstring(records_.size())});
  if (const std::size_t fresh = list_.NewCount())
    parts += (parts.empty() ? L"" : L", ") + formattext::Format(LoadStr(IDS_CAPTION_NEW), {std::to_wstring(fresh)});
  const std::wstring caption = CaptionText();
  if (caption_.Hwnd()) caption_.SetText(parts.empty() ? caption : caption + L" (" + parts + L")");
}

void TableControlBase::SetFilter(const std::wstring& text) {
  Guarded(Context(L"SetFilter"), kLevelError, [&] {
    {
      FlagScope quiet(updating_);
      list_.SetFilter(text);
    }
    UpdateCaption();
    if (rowsChanged) rowsChanged();
    // The details follow the selection; with the selected add-on hidden
    // they go to the first one shown.
    if (emptyFlag_ || !Shown()) return;
    if (list_.ShowsPlaceholder()) {
      if (showDetails_) showDetails_(CParams());
      return;
    }
    if (SelectedRow() < 0) {
      FlagScope quiet(updating_);
      SelectRow(0);
    }
    ShowSelectedDetails();
  });
}

void TableControlBase::SetAgeMarks(AgeMarks marks) {
  ages_ = std::move(marks);
  if (!records_.empty()) {
    FlagScope quiet(updating_);
    const int selected = SelectedRow();
    FillList();
    if (selected >= 0 && selected < RowCount()) SelectRow(selected);
  }
}

std::vector<std::wstring> TableControlBase::RowTexts(const CResultNode& record) const {
  return {Value(record, discovery::keys::kDisplayName)};
}

std::wstring TableControlBase::Value(const CResultNode& record, const wchar_t* key) { return record.params.Text(key); }

bool TableControlBase::Shown() const { return Hwnd() && (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; }

void TableControlBase::RefreshList() {
  Guarded(Context(L"RefreshList"), kLevelError, [&] {
    if (!list_.Hwnd()) throw QlmError(kNoRecordOnRow, Context(L"RefreshList"), L"The table has no list");
    const int remembered = SelectedRow() + 1;
    {
      FlagScope quiet(updating_);
      records_.clear();
      std::optional<CResultNodes> list = Discover();
      list_.SetListingFailed(!list);
      if (!list) {
        // Rows gone, the flag as it was: discovery has logged why.
        FillList();
        return;
      }
      discovery::AddStatesAndSignatures(kind_, files_, *list);
      emptyFlag_ = list->Count() == 0;
      records_.reserve(list->Count());
      for (std::size_t i = 1; i <= list->Count(); ++i) records_.push_back(list->Shared(i));
      FillList();
      // Rows can bring a scroll bar: the columns fit the new width.
      LayoutColumns();

      // Nothing left to describe: the pane must not go on showing an add-on
      // that is gone (the one just deleted, say).
      if ((emptyFlag_ || list_.ShowsPlaceholder()) && showDetails_ && Shown()) showDetails_(CParams());

      const int rows = RowCount();
      if (rows == 0) return;
      const int position = remembered >= 1 && remembered <= rows ? remembered : 1;
      SelectRow(position - 1);
      list_.EnsureVisible(position - 1);
    }
    // The restored row stays the selected one: its details are what the
    // pane shows, and what Delete acts on.
    ShowSelectedDetails();
  });
}

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

void TableControlBase::ShowSelectedDetails() {
  Guarded(Context(L"lv_ItemClick"), kLevelError, [&] {
    if (NoRecordShown()) return;
    const CResultNode& record = SelectedOrFirstRecord(L"lv_ItemClick");
    namespace k = discovery::keys;
    CParams details;
    using discovery::text::VisibleText;
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
    // Once the host has compared this start's listing with the last one.
    if (ages_.isNew) {
      const std::wstring& seen = ages_.isNew(record) ? ages_.firstSeenNew : ages_.firstSeenEarlier;
      if (!seen.empty()) details.Add(LoadStr(IDS_CAPTION_FIRST_SEEN), seen);
    }
    // A hidden table keeps its details to itself: the pane belongs to the
    // table on show, which the host asks for them when it shows one.
    if (showDetails_ && Shown()) showDetails_(details);
  });
}

void TableControlBase::OnListMouseUp(bool rightButton, bool onRow) {
  Guarded(Context(L"lv_MouseUp"), kLevelError, [&] {
    const bool modifiers = KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL) || KeyDown(VK_MENU);
    // Off the rows there is no add-on for the menu's commands to act on.
    if (NoRecordShown() || !rightButton || modifiers || !onRow) return;
    ContextMenuRequest request;
    GetCursorPos(&request.screen);
    ShowContextMenu(request);
  });
}

void TableControlBase::OnContextMenuKey(LPARAM lParam) {
  Guarded(Context(L"lv_ContextMenu"), kLevelError, [&] {
    if (lParam != -1 || NoRecordShown()) return;
    const int row = SelectedRow();
    if (row < 0) return;
    list_.EnsureVisible(row);
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    SendMessageW(list_.Hwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    RECT client{};
    GetClientRect(list_.Hwnd(), &client);
    // Under the row's text, kept inside the list.
    POINT at{std::min(bounds.left + Scale(8), client.right), std::min(bounds.bottom, client.bottom)};
    ContextMenuRequest request;
    request.keyboard = true;
    request.screen = at;
    ClientToScreen(list_.Hwnd(), &request.screen);
    ShowContextMenu(request);
  });
}

void TableControlBase::ShowContextMenu(const ContextMenuRequest& request) {
  if (contextMenuSeam) {
    contextMenuSeam(request);
    return;
  }
  if (!contextMenu_) return;
  // The menu's commands go to the top-level window, where the commands of
  // the ribbon go too.
  HWND owner = GetAncestor(Hwnd(), GA_ROOT);
  if (request.keyboard) {
    POINT client = request.screen;
    ScreenToClient(owner, &client);
    contextMenu_->ShowForContextMenu(owner, -1, client);
  } else {
    contextMenu_->ShowAt(owner, request.screen);
  }
}

void TableControlBase::Remove() {
  if (removing_) return;
  FlagScope busy(removing_);
  Guarded(Context(L"ITableControl_Remove"), kLevelError, [&] {
    if (NoRecordShown()) return;
    const int row = SelectedRow();
    if (row < 0) return;
    // Held across the dialog, so the record outlives anything that happens
    // to the rows meanwhile.
    const std::shared_ptr<CResultNode> record = SharedRecordAt(row);
    if (!record) throw QlmError(kNoRecordOnRow, Context(L"ITableControl_Remove"), L"Object variable or With block variable not set");
    const std::wstring name = ObjectName(*record, RowText(row));
    const std::wstring title = LoadStr(kind_.deleteTitle);
    // Where the browser can turn the add-on off, that is offered too:
    // unlike deleting, it can be undone.
    if (data_ && tables::StateApplies(kind_, *record)) {
      const core::Choice choice = core::AskChoice(ConfirmationText(*record, name) + tables::ForYouLine(*record), title,
                                                  {LoadStr(IDS_DELETE_OR_TURN_OFF)}, core::kButtonYes | core::kButtonNo);
      if (choice.index == 0) {
        if (tables::TurnOffWithoutAsking(kind_, *record, name, *data_)) RefreshList();
        return;
      }
      if (choice.button != core::kButtonYes) return;
    } else if (core::ShowMessage(ConfirmationText(*record, name), core::kButtonYes | core::kButtonNo, title) !=
               core::kButtonYes) {
      return;
    }
    // The entry goes from its own registry view only: the same add-on in
    // the other view is another entry.
    CRegistry registry(discovery::ViewOfRecord(*record));
    const DeleteOutcome outcome = DeleteEntry(registry, *record);
    if (outcome.deleted) {
      core::ShowMessage(formattext::Format(LoadStr(IDS_DELETED), {name}), core::kButtonOK, title);
    } else {
      const std::wstring shown = formattext::Format(LoadStr(IDS_CANNOT_DELETE), {name}) + outcome.reason;
      if (const unsigned logText = FailureLogText()) {
        LogRecord(0, formattext::Format(LoadStr(logText), {name}) + outcome.reason, kLevelInformation,
                  Context(L"ITableControl_Remove"));
      }
      core::ShowMessage(shown, core::kButtonOK, title);
    }
    RefreshList();
  });
}

void TableControlBase::ChangeState(bool turnOn, const core::DataFolder& data) {
  if (removing_) return;
  FlagScope busy(removing_);
  data_ = data;
  Guarded(Context(L"ChangeState"), kLevelError, [&] {
    const int row = NoRecordShown() ? -1 : SelectedRow();
    const std::shared_ptr<CResultNode> record = row < 0 ? nullptr : SharedRecordAt(row);
    if (!record) {
      core::ShowMessage(LoadStr(IDS_TURN_NO_SELECTION), core::kButtonOK, LoadStr(IDS_TURN_TITLE));
      return;
    }
    const std::wstring name = ObjectName(*record, RowText(row));
    const auto change = turnOn ? addonstate::Change::TurnOn : addonstate::Change::TurnOff;
    if (tables::ChangeAddonState(kind_, *record, name, change, data)) RefreshList();
  });
}

TableControlBase::DeleteOutcome TableControlBase::Incomplete() {
  return {false, LoadStr(IDS_DELETE_INCOMPLETE_ENTRY)};
}

TableControlBase::DeleteOutcome TableControlBase::DeleteEntryKey(CRegistry& registry, HKEY root,
                                                                 const std::wstring& parent,
                                                                 const std::wstring& entry,
                                                                 const std::wstring& valueName,
                                                                 const std::function<bool(const std::wstring&)>& clearWhen) {
  // An empty part would name a key above the entry, with every other add-on
  // under it.
  const bool knownRoot = root == HKEY_LOCAL_MACHINE || root == HKEY_USERS || root == HKEY_CURRENT_USER;
  if (!knownRoot || parent.empty() || entry.empty() || entry.find(L'\\') != std::wstring::npos) return Incomplete();
  DeleteOutcome outcome;
  outcome.deleted = registry.DeleteKeyThenValue(root, parent + L"\\" + entry, valueName, clearWhen, outcome.reason);
  return outcome;
}

HKEY TableControlBase::ListRoot(const CResultNode& record) {
  const CParam* key = record.params.Find(discovery::keys::kKey);
  if (!key) return nullptr;
  const HKEY root = discovery::RootFromNumber(key->Number());
  return root == HKEY_LOCAL_MACHINE || root == HKEY_USERS ? root : nullptr;
}

std::wstring TableControlBase::CurrentFullFileName() {
  std::wstring result;
  Guarded(Context(L"ITableControl_CurrentFullFileName"), kLevelError, [&] {
    const CResultNode* record = RecordAt(SelectedRow());
    if (record && record->params.IsInCollection(discovery::keys::kDll)) result = Value(*record, discovery::keys::kDll);
  });
  return result;
}

std::wstring TableControlBase::CurrentFullFileNameError() {
  std::wstring result;
  Guarded(Context(L"ITableControl_CurrentFullFileNameError"), kLevelError, [&] {
    if (NoRecordShown()) return;
    const CResultNode& record = SelectedOrFirstRecord(L"ITableControl_CurrentFullFileNameError");
    if (Value(record, discovery::keys::kDll).empty()) result = LoadStr(kind_.brokenText);
  });
  return result;
}

std::wstring TableControlBase::CurrentObjectName() {
  std::wstring result;
  Guarded(Context(L"ITableControl_CurrentObjectName"), kLevelError, [&] {
    const CResultNode* record = RecordAt(SelectedRow());
    if (!record) return;  // no row, or the empty row: no add-on to name
    result = Value(*record, discovery::keys::kOriginalName);
    if (result.empty()) result = Value(*record, discovery::keys::kDisplayName);
  });
  return result;
}

bool TableControlBase::ShowDetails() {
  bool shown = false;
  Guarded(Context(L"ITableControl_ShowDetails"), kLevelError, [&] {
    if (NoRecordShown() || RowCount() == 0) return;
    if (SelectedRow() < 0) {
      FlagScope quiet(updating_);
      SelectRow(0);
    }
    ShowSelectedDetails();
    shown = true;
  });
  return shown;
}

void TableControlBase::UserControl_Resize() {
  if (!Hwnd()) return;
  const RECT client = ClientRect();
  const int height = caption_.Hwnd() ? caption_.PreferredHeight() : 0;
  if (caption_.Hwnd()) MoveWindow(caption_.Hwnd(), 0, 0, client.right, height, TRUE);
  if (list_.Hwnd()) MoveWindow(list_.Hwnd(), 0, height, client.right, std::max<LONG>(0, client.bottom - height), TRUE);
  LayoutColumns();
}

void TableControlBase::LayoutColumns() {
  if (columnsAdded_) list_.LayoutColumns(Dpi());
}

LRESULT TableControlBase::OnNotify(const NMHDR& header) {
  LRESULT answer = 0;
  if (list_.OnNotify(header, answer)) {
    // A sort moves the rows under the caption's counts; nothing else the
    // list handles changes them.
    if (header.code == LVN_COLUMNCLICK) UpdateCaption();
    return answer;
  }
  if (header.hwndFrom != list_.Hwnd()) return 0;
  switch (header.code) {
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      const bool nowSelected = (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
                               !(change.uOldState & LVIS_SELECTED);
      // A row chosen with the mouse or the keyboard shows its details.
      if (nowSelected && !updating_) ShowSelectedDetails();
      return 0;
    }
    case NM_RCLICK:
      OnListMouseUp(true, reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0);
      return 1;  // handled: no second menu through WM_CONTEXTMENU
    case LVN_KEYDOWN: {
      const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
      const bool plain = !KeyDown(VK_SHIFT) && !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU);
      if (key.wVKey == VK_DELETE && plain) {
        // After the key's own handling, like a command from the menu.
        PostMessageW(Hwnd(), kRunRemove, 0, 0);
      } else if (plain) {
        // Also after the list's own handling: the kind may refill the rows.
        PostMessageW(Hwnd(), kRunKindKey, key.wVKey, 0);
      }
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT TableControlBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      UserControl_Resize();
      return 0;
    case WM_SETFOCUS:
      if (list_.Hwnd()) SetFocus(list_.Hwnd());
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == list_.Hwnd() || GetParent(reinterpret_cast<HWND>(wParam)) == list_.Hwnd()) {
        // The header's own menu, else the row menu from the keyboard.
        if (lParam != -1 && list_.OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
        OnContextMenuKey(lParam);
      }
      return 0;
    case kRunRemove:
      Remove();
      return 0;
    case kRunKindKey:
      Guarded(Context(L"lv_KeyDown"), kLevelError, [&] { OnKindKey(wParam); });
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the caption and the list cover the whole window
    default:
      return Default(message, wParam, lParam);
  }
}
