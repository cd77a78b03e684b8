#include "TableTestKit.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cwctype>

#include "core/ProcessState.h"
#include "ui/dialogs/MessageOwner.h"
#include "support/WindowProbe.h"
#include "ozcore/CRegistry.h"
#include "ozcore/UniqueHandle.h"
#include "ui/main/DetailsPane.h"
#include "ui/tables/TableControlBase.h"
#include "ui/tables/TableFactory.h"
#include "ui/widgets/PropertyGrid.h"

namespace tabletest {

namespace {

std::wstring Upper(std::wstring text) {
  for (auto& ch : text) ch = static_cast<wchar_t>(std::towupper(ch));
  return text;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  for (std::size_t start = 0; start < text.size();) {
    auto end = std::min(text.find(L'\n', start), text.size());
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::wstring CompanyFile() { return qlmtest::FixtureFolder() + L"\\fx_company.dll"; }

void Addons::Class(const std::wstring& clsid, const std::wstring& name, const std::wstring& file) {
  reg_.String(HKEY_LOCAL_MACHINE, kClasses + clsid, L"", name);
  if (!file.empty()) reg_.String(HKEY_LOCAL_MACHINE, kClasses + clsid + L"\\InProcServer32", L"", file);
  classes_.push_back(clsid);
}

std::wstring Addons::Toolbar(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file) {
  const std::wstring clsid = qlmtest::NewClsid();
  Class(clsid, name, file);
  reg_.String(root, list, clsid, L"");
  return clsid;
}

std::wstring Addons::Button(HKEY root, const std::wstring& list, const std::wstring& button, const std::wstring& menu,
                            const std::wstring& file) {
  const std::wstring clsid = qlmtest::NewClsid(), entry = list + L"\\" + clsid;
  reg_.Key(root, entry);
  if (!button.empty()) reg_.String(root, entry, L"ButtonText", button);
  if (!menu.empty()) reg_.String(root, entry, L"MenuText", menu);
  if (!file.empty()) reg_.String(root, entry, L"Exec", file);
  return clsid;
}

std::wstring Addons::MenuExt(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file) {
  reg_.Key(root, list + L"\\" + name);
  if (!file.empty()) reg_.String(root, list + L"\\" + name, L"", L"res://" + file + L"/search.htm");
  return name;
}

std::wstring Addons::ExplorerBar(const std::wstring& name, const std::wstring& file,
                                 const std::vector<std::wstring>& cats) {
  const std::wstring clsid = qlmtest::NewClsid();
  Class(clsid, name, file);
  for (const auto& cat : cats) reg_.Key(HKEY_LOCAL_MACHINE, kClasses + clsid + L"\\Implemented Categories\\" + cat);
  return clsid;
}

std::wstring Addons::Bho(const std::wstring& name, const std::wstring& file) {
  const std::wstring clsid = qlmtest::NewClsid();
  reg_.String(HKEY_LOCAL_MACHINE, kBhos + L"\\" + clsid, L"", name);
  if (!file.empty()) Class(clsid, L"", file);
  return clsid;
}

Snapshot TakeSnapshot(const std::vector<std::wstring>& classes) {
  // The whole browser key holds every kind's list but the helper objects'.
  const std::wstring kIe = L"Software\\Microsoft\\Internet Explorer";
  CRegistry registry;
  std::wstring text = registry.ExportKeyText(HKEY_LOCAL_MACHINE, kIe) + registry.ExportKeyText(HKEY_LOCAL_MACHINE, kBhos);
  const CStringDictionary users = registry.EnumSubKeys(HKEY_USERS, L"");
  for (std::size_t i = 1; i <= users.Count(); ++i) text += registry.ExportKeyText(HKEY_USERS, users.Item(i) + L"\\" + kIe);
  for (const auto& clsid : classes) text += registry.ExportKeyText(HKEY_LOCAL_MACHINE, kClasses + clsid);
  Snapshot snapshot;
  std::wstring key;
  for (const auto& line : Lines(text)) {
    if (line.front() == L'[' && line.back() == L']') {
      key = line.substr(1, line.size() - 2);
      snapshot[key];
    } else {
      snapshot[key].push_back(line);
    }
  }
  return snapshot;
}

Snapshot WithoutKey(Snapshot snapshot, const std::wstring& keyPath) {
  const std::wstring key = Upper(keyPath);
  std::erase_if(snapshot, [&](const auto& entry) {
    const std::wstring name = Upper(entry.first);
    return name == key || name.rfind(key + L"\\", 0) == 0;
  });
  return snapshot;
}

Snapshot WithoutValue(Snapshot snapshot, const std::wstring& keyPath, const std::wstring& valueName) {
  const std::wstring start = Upper(L"\"" + valueName + L"\"=");
  for (auto& [name, values] : snapshot)
    if (Upper(name) == Upper(keyPath))
      std::erase_if(values, [&](const std::wstring& line) { return Upper(line).rfind(start, 0) == 0; });
  return snapshot;
}

EmptyRegistry::EmptyRegistry() {
  UniqueKey key;
  RegOpenKeyExW(HKEY_CURRENT_USER, scratch_.Path().c_str(), 0, KEY_ALL_ACCESS, key.put());
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_USERS}) RegOverridePredefKey(root, key.get());
}

EmptyRegistry::~EmptyRegistry() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_USERS}) RegOverridePredefKey(root, nullptr);
}

DialogAnswerer::DialogAnswerer(std::vector<std::wstring> presses) : presses_(std::move(presses)) {
  thread_ = std::thread([this] {
    const DWORD self = GetCurrentProcessId();
    auto isDialog = [self](HWND hwnd) {
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      return pid == self && IsWindowVisible(hwnd) && qlmtest::ClassOf(hwnd) == L"#32770";
    };
    for (HWND last = nullptr;;) {
      HWND dialog = qlmtest::WaitForTopLevel(isDialog, 0);
      if (dialog && dialog != last) {
        seen_.push_back({qlmtest::WindowText(dialog), qlmtest::StaticTexts(dialog), qlmtest::ButtonCaptions(dialog)});
        const std::size_t next = seen_.size() - 1;
        // Never leave the test hanging on a dialog it did not expect.
        if (next >= presses_.size() || !qlmtest::PressButton(dialog, presses_[next]))
          PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 3000 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(10);
        last = dialog;
      } else if (stop_) {
        return;
      }
      Sleep(20);
    }
  });
}

std::vector<SeenDialog> DialogAnswerer::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return seen_;
}

std::vector<std::wstring> LogCapture::Records() const {
  std::vector<std::wstring> records;
  for (const auto& line : Lines(qlmtest::ReadUtf8File(folder_.File(L"QLM.log"))))
    if (line.size() > 25) records.push_back(line.substr(25));  // after "yyyy-mm-dd hh:mm:ss.mmm  "
  return records;
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

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TableRig::TableRig(std::int32_t id, int tableHeight) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const HWND host = SharedHost();
  details_ = std::make_unique<DetailsPane>();
  details_->Create(host);
  details_->Init();
  MoveWindow(details_->Hwnd(), 0, tableHeight, 600, 200, TRUE);
  ShowWindow(details_->Hwnd(), SW_SHOW);
  table_ = MakeTable(id, files_);
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

int TableRig::RowOf(const std::wstring& recordId) const {
  for (int row = 0; row < Rows(); ++row)
    if (const CResultNode* record = table_->RecordAt(row); record && record->ID == recordId) return row;
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
