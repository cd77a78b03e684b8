// TableControlBase: the window, its messages and its layout.
#include "ui/tables/TableControlBase.h"

#include <commctrl.h>
#include <windowsx.h>

#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "ui/tables/ListedSystem.h"
#include "ozcore/FormatText.h"
#include "ui/tables/FlagScope.h"
#include "ui/tables/SharedColumns.h"
#include "ui/widgets/ImageStore.h"
#include "ui/widgets/PopupMenu.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmoorTable";
constexpr int kCaptionId = 1;
constexpr int kListId = 2;
constexpr int kRowImage = 1200;
constexpr int kRowImageSize = 16;

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }
bool ModifierDown() { return KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL) || KeyDown(VK_MENU); }

}  // namespace

TableControlBase::TableControlBase(std::int32_t kindId, ListedSystem& system)
    : kind_(discovery::Kind(kindId)), system_(system) {}

TableControlBase::~TableControlBase() { DestroyWidget(); }

std::wstring TableControlBase::Context(const wchar_t* procedure) const {
  return std::wstring(kind_.typeName) + L"." + procedure;
}

bool TableControlBase::Create(HWND parent) {
  if (!CreateWidget(kClassName, parent, kind_.id, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS)) return false;
  const std::wstring caption = CaptionText();
  if (!caption_.Create(Hwnd(), kCaptionId, caption)) return false;
  if (!list_.Create(Hwnd(), kListId, caption)) return false;
  LayoutChildren();
  return true;
}

void TableControlBase::Finalize() { showDetails_ = nullptr; }

std::optional<CResultNodes> TableControlBase::Discover() const { return system_.List(kind_); }

std::wstring TableControlBase::CaptionText() const { return LoadStr(kind_.caption); }

void TableControlBase::AddKindDetails(const CResultNode&, CParams&) const {}

std::wstring TableControlBase::ConfirmationText(const CResultNode&, const std::wstring& name) const {
  return formattext::Format(LoadStr(IDS_CONFIRM_DELETE), {name});
}

bool TableControlBase::HandleKindKey(WPARAM) { return false; }

void TableControlBase::Init(DetailsSink showDetails, PopupMenu* contextMenu) {
  AddColumns();
  if (list_.Hwnd()) LoadRowImage();
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
  UniqueImageList images = ImageStore::SingleIconList(GetModuleHandleW(nullptr), kRowImage, Scale(kRowImageSize));
  if (!images) {
    // Rows without their picture are better than no table: the list goes
    // on without it.
    LogRecord(kObjectErrorBase + kRowImage, L"The row image could not be loaded", kLevelError, Context(L"Init"));
    return;
  }
  SendMessageW(list_.Hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
  images_ = std::move(images);
}

void TableControlBase::OnDpiChanged() {
  if (!Hwnd()) return;
  if (images_) LoadRowImage();
  LayoutChildren();
}

void TableControlBase::LayoutChildren() {
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

void TableControlBase::ShowRowMenuAtMouse(bool rightButton, bool onRow) {
  const ProcedureName procedure(kind_.typeName, L"lv_MouseUp");
  // Off the rows there is no add-on for the menu's commands to act on.
  if (NoRecordShown() || !rightButton || ModifierDown() || !onRow) return;
  ContextMenuRequest request;
  GetCursorPos(&request.screen);
  ShowContextMenu(request);
}

void TableControlBase::ShowRowMenuFromKeyboard(LPARAM lParam) {
  const ProcedureName procedure(kind_.typeName, L"lv_ContextMenu");
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

LRESULT TableControlBase::AnswerNotification(const NMHDR& header) {
  LRESULT answer = 0;
  if (list_.HandleNotification(header, answer)) {
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
      ShowRowMenuAtMouse(true, reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0);
      return 1;  // handled: no second menu through WM_CONTEXTMENU
    case LVN_KEYDOWN: {
      const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
      // After the key's own handling, like a command from the menu; the
      // kind's own keys too: the kind may refill the rows.
      if (!ModifierDown()) PostMessageW(Hwnd(), key == VK_DELETE ? kRunRemove : kRunKindKey, key, 0);
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT TableControlBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayoutChildren();
      return 0;
    case WM_SETFOCUS:
      if (list_.Hwnd()) SetFocus(list_.Hwnd());
      return 0;
    case WM_NOTIFY:
      return AnswerNotification(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == list_.Hwnd() || GetParent(reinterpret_cast<HWND>(wParam)) == list_.Hwnd()) {
        // The header's own menu, else the row menu from the keyboard.
        if (lParam != -1 && list_.ShowHeaderMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return 0;
        ShowRowMenuFromKeyboard(lParam);
      }
      return 0;
    case kRunRemove:
      Remove();
      return 0;
    case kRunKindKey: {
      const ProcedureName procedure(kind_.typeName, L"lv_KeyDown");
      HandleKindKey(wParam);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the caption and the list cover the whole window
    default:
      return Default(message, wParam, lParam);
  }
}
