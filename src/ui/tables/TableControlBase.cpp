#include "ui/tables/TableControlBase.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "core/ProgramResources.h"
#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/VisibleText.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CUtilities.h"
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
  list_ = CreateWindowExW(0, WC_LISTVIEWW, caption.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                          0, 0, 0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!list_) return false;
  SetWindowTheme(list_, L"Explorer", nullptr);
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  UserControl_Resize();
  return true;
}

void TableControlBase::Finalize() { showDetails_ = nullptr; }

std::wstring TableControlBase::CaptionText() const { return LoadStr(kind_.caption); }

void TableControlBase::UpdateCaption() {
  if (caption_.Hwnd()) caption_.SetText(CaptionText());
}

void TableControlBase::AddKindDetails(const CResultNode&, CParams&) const {}

std::wstring TableControlBase::ConfirmationText(const CResultNode&, const std::wstring& name) const {
  return CUtilities::FormatString(LoadStr(IDS_CONFIRM_DELETE), {name});
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
  if (columnsAdded_ || !list_) return;
  for (std::size_t i = 0; i < kind_.columns.size(); ++i) {
    std::wstring text = LoadStr(kind_.columns[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = Scale(100);
    SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  columnsAdded_ = true;
  LayoutColumns();
}

void TableControlBase::LoadRowImage() {
  if (!list_) return;
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
    SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
    images_ = std::move(images);
  });
}

void TableControlBase::OnDpiChanged() {
  if (!Hwnd()) return;
  if (images_) LoadRowImage();
  UserControl_Resize();
}

int TableControlBase::RowCount() const {
  return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int TableControlBase::SelectedRow() const {
  return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

const CResultNode* TableControlBase::RecordAt(int row) const { return SharedRecordAt(row).get(); }

std::shared_ptr<CResultNode> TableControlBase::SharedRecordAt(int row) const {
  if (row < 0 || row >= RowCount()) return nullptr;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) || item.lParam == 0) return nullptr;
  const auto* record = reinterpret_cast<const CResultNode*>(item.lParam);
  for (const auto& held : records_)
    if (held.get() == record) return held;
  return nullptr;
}

std::wstring TableControlBase::RowText(int row) const {
  std::wstring text(1024, L'\0');
  LVITEMW item{};
  item.iSubItem = 0;
  for (;;) {
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto n = static_cast<std::size_t>(SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (n + 1 < text.size()) {
      text.resize(n);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

void TableControlBase::AddRow(const std::vector<std::wstring>& texts, const std::shared_ptr<CResultNode>& record) {
  if (record) records_.push_back(record);
  // Names come from the registry: control characters and the like are
  // shown escaped, so a name can neither hide nor pass for another.
  std::wstring first = texts.empty() ? std::wstring() : discovery::text::VisibleText(texts[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = RowCount();
  item.pszText = first.data();
  item.iImage = 0;
  item.lParam = reinterpret_cast<LPARAM>(record.get());
  const int row = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) throw QlmError(kObjectErrorBase + errors::kIndexOutOfBounds, Context(L"RefreshList"), L"The row could not be added");
  for (std::size_t column = 1; column < texts.size() && column < kind_.columns.size(); ++column) {
    std::wstring text = discovery::text::VisibleText(texts[column]);
    LVITEMW sub{};
    sub.iSubItem = static_cast<int>(column);
    sub.pszText = text.data();
    SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
  }
}

void TableControlBase::SelectRow(int row) {
  if (row < 0 || row >= RowCount()) throw QlmError(kNoSuchRow, L"ListView", L"Index out of bounds");
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  SendMessageW(list_, LVM_SETSELECTIONMARK, 0, row);
}

std::vector<std::wstring> TableControlBase::RowTexts(const CResultNode& record) const {
  return {Value(record, discovery::keys::kDisplayName)};
}

std::wstring TableControlBase::Value(const CResultNode& record, const wchar_t* key) { return record.params.Text(key); }

bool TableControlBase::Shown() const { return Hwnd() && (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; }

void TableControlBase::RefreshList() {
  Guarded(Context(L"RefreshList"), kLevelError, [&] {
    if (!list_) throw QlmError(kNoRecordOnRow, Context(L"RefreshList"), L"The table has no list");
    const int remembered = SelectedRow() + 1;
    {
      FlagScope quiet(updating_);
      SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
      SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
      records_.clear();
      SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(list_, nullptr, TRUE);

      std::optional<CResultNodes> list = Discover();
      if (!list) return;  // rows gone, the flag as it was: discovery has logged why
      emptyFlag_ = list->Count() == 0;
      SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
      if (emptyFlag_) {
        std::vector<std::wstring> texts;
        for (unsigned id : kind_.emptyTexts) texts.push_back(LoadStr(id));
        AddRow(texts, nullptr);
      } else {
        for (std::size_t i = 1; i <= list->Count(); ++i) {
          std::shared_ptr<CResultNode> record = list->Shared(i);
          AddRow(RowTexts(*record), record);
        }
      }
      SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(list_, nullptr, TRUE);
      // Rows can bring a scroll bar: the columns fit the new width.
      LayoutColumns();

      // Nothing left to describe: the pane must not go on showing an add-on
      // that is gone (the one just deleted, say).
      if (emptyFlag_ && showDetails_ && Shown()) showDetails_(CParams());

      const int rows = RowCount();
      if (rows == 0) return;
      const int position = remembered >= 1 && remembered <= rows ? remembered : 1;
      SelectRow(position - 1);
      SendMessageW(list_, LVM_ENSUREVISIBLE, position - 1, FALSE);
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
    if (emptyFlag_) return;
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
    // A hidden table keeps its details to itself: the pane belongs to the
    // table on show, which the host asks for them when it shows one.
    if (showDetails_ && Shown()) showDetails_(details);
  });
}

void TableControlBase::OnListMouseUp(bool rightButton, bool onRow) {
  Guarded(Context(L"lv_MouseUp"), kLevelError, [&] {
    const bool modifiers = KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL) || KeyDown(VK_MENU);
    // Off the rows there is no add-on for the menu's commands to act on.
    if (emptyFlag_ || !rightButton || modifiers || !onRow) return;
    ContextMenuRequest request;
    GetCursorPos(&request.screen);
    ShowContextMenu(request);
  });
}

void TableControlBase::OnContextMenuKey(LPARAM lParam) {
  Guarded(Context(L"lv_ContextMenu"), kLevelError, [&] {
    if (lParam != -1 || emptyFlag_) return;
    const int row = SelectedRow();
    if (row < 0) return;
    SendMessageW(list_, LVM_ENSUREVISIBLE, row, FALSE);
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    SendMessageW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    RECT client{};
    GetClientRect(list_, &client);
    // Under the row's text, kept inside the list.
    POINT at{std::min(bounds.left + Scale(8), client.right), std::min(bounds.bottom, client.bottom)};
    ContextMenuRequest request;
    request.keyboard = true;
    request.screen = at;
    ClientToScreen(list_, &request.screen);
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
    if (emptyFlag_) return;
    const int row = SelectedRow();
    if (row < 0) return;
    // Held across the dialog, so the record outlives anything that happens
    // to the rows meanwhile.
    const std::shared_ptr<CResultNode> record = SharedRecordAt(row);
    if (!record) throw QlmError(kNoRecordOnRow, Context(L"ITableControl_Remove"), L"Object variable or With block variable not set");
    const std::wstring name = ObjectName(*record, RowText(row));
    const std::wstring title = LoadStr(kind_.deleteTitle);
    if (core::ShowMessage(ConfirmationText(*record, name), core::kButtonYes | core::kButtonNo, title) !=
        core::kButtonYes) {
      return;
    }
    // The entry goes from its own registry view only: the same add-on in
    // the other view is another entry.
    CRegistry registry(discovery::ViewOfRecord(*record));
    const DeleteOutcome outcome = DeleteEntry(registry, *record);
    if (outcome.deleted) {
      core::ShowMessage(CUtilities::FormatString(LoadStr(IDS_DELETED), {name}), core::kButtonOK, title);
    } else {
      const std::wstring shown = CUtilities::FormatString(LoadStr(IDS_CANNOT_DELETE), {name}) + outcome.reason;
      if (const unsigned logText = FailureLogText()) {
        LogRecord(0, CUtilities::FormatString(LoadStr(logText), {name}) + outcome.reason, kLevelInformation,
                  Context(L"ITableControl_Remove"));
      }
      core::ShowMessage(shown, core::kButtonOK, title);
    }
    RefreshList();
  });
}

TableControlBase::DeleteOutcome TableControlBase::Incomplete() {
  return {false, LoadStr(IDS_DELETE_INCOMPLETE_ENTRY)};
}

TableControlBase::DeleteOutcome TableControlBase::DeleteEntryKey(CRegistry& registry, HKEY root,
                                                                 const std::wstring& parent,
                                                                 const std::wstring& entry) {
  // An empty part would name a key above the entry, with every other add-on
  // under it.
  const bool knownRoot = root == HKEY_LOCAL_MACHINE || root == HKEY_USERS || root == HKEY_CURRENT_USER;
  if (!knownRoot || parent.empty() || entry.empty() || entry.find(L'\\') != std::wstring::npos) return Incomplete();
  DeleteOutcome outcome;
  outcome.deleted = registry.DeleteKey(root, parent + L"\\" + entry, outcome.reason);
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
    if (emptyFlag_) return;
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
    if (emptyFlag_ || RowCount() == 0) return;
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
  if (list_) MoveWindow(list_, 0, height, client.right, std::max<LONG>(0, client.bottom - height), TRUE);
  LayoutColumns();
}

void TableControlBase::LayoutColumns() {
  if (!list_ || !columnsAdded_) return;
  RECT client{};
  GetClientRect(list_, &client);
  const auto widths = tables::ColumnWidths(client.right, static_cast<int>(Dpi()), static_cast<int>(kind_.columns.size()));
  for (std::size_t i = 0; i < widths.size(); ++i) SendMessageW(list_, LVM_SETCOLUMNWIDTH, i, widths[i]);
}

LRESULT TableControlBase::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) return 0;
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
      if (list_) SetFocus(list_);
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == list_) OnContextMenuKey(lParam);
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
