#include "TableTestKit.h"

#include <commctrl.h>
#include <objbase.h>

#include "core/ProgramLog.h"
#include "ui/dialogs/MessageOwner.h"
#include "ozcore/UniqueHandle.h"
#include "ui/main/DetailsPane.h"
#include "ui/tables/TableControlBase.h"
#include "ui/tables/TableFactory.h"
#include "ui/widgets/PropertyGrid.h"

namespace tabletest {

std::wstring CompanyFile() { return qlmtest::FixtureFolder() + L"\\fx_company.dll"; }

void RightClick(HWND list, int row) {
  RECT r{};
  ListView_GetItemRect(list, row, &r, LVIR_LABEL);
  const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2 + (row < 0 ? 200 : 0));
  // The list follows the button until it is released.
  PostMessageW(list, WM_RBUTTONUP, 0, at);
  SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
  Pump();
}

HWND SharedHost() {
  static HWND host = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillmoorTableTestHost";
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"table test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 10, 10,
                                800, 600, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
  }();
  dialogs::SetMessageOwner({host, nullptr});
  return host;
}

TableRig::TableRig(std::int32_t id, int tableHeight) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HWND host = SharedHost();
  details_ = std::make_unique<DetailsPane>();
  details_->Create(host);
  details_->Init();
  MoveWindow(details_->Hwnd(), 0, tableHeight, 600, 200, TRUE);
  ShowWindow(details_->Hwnd(), SW_SHOW);
  table_ = MakeTable(id, system_);
  table_->Create(host);
  MoveWindow(table_->Hwnd(), 0, 0, 600, tableHeight, TRUE);
  ShowWindow(table_->Hwnd(), SW_SHOW);
  table_->contextMenuSeam = [this](const TableControlBase::ContextMenuRequest& request) {
    menus.push_back(request.keyboard);
    menuPoints.push_back(request.screen);
  };
  table_->Init([details = details_.get()](const CParams& shown) { details->ShowDetails(shown); }, nullptr);
  Pump();
}

TableRig::~TableRig() {
  table_.reset();
  details_.reset();
  Pump();
  CoUninitialize();
}

HWND TableRig::list() const { return table_->ListHwnd(); }
int TableRig::Rows() const { return ListView_GetItemCount(list()); }

std::wstring TableRig::Text(int row, int column) const {
  wchar_t text[1024] = {};
  ListView_GetItemText(list(), row, column, text, 1024);
  return text;
}

int TableRig::RowOf(const std::wstring& recordId, std::int32_t view) const {
  for (int row = 0; row < Rows(); ++row) {
    const CResultNode* record = table_->RecordAt(row);
    if (record && record->ID == recordId && record->params.Find(L"view")->Number() == view) return row;
  }
  return -1;
}

std::vector<int> TableRig::SelectedRows() const {
  std::vector<int> rows;
  for (int row = -1; (row = ListView_GetNextItem(list(), row, LVNI_SELECTED)) >= 0;) rows.push_back(row);
  return rows;
}

void TableRig::Select(int row) {
  ListView_SetItemState(list(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Pump();
}

std::vector<std::wstring> TableRig::Details() {
  std::vector<std::wstring> rows;
  const PropertyGrid& grid = details_->Grid();
  for (int i = 0; i < grid.RowCount(); ++i) rows.push_back(grid.RowName(i) + L"=" + grid.RowValue(i));
  return rows;
}

}  // namespace tabletest
