#include "TableTestKit.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cwctype>

#include "app/MQLMState.h"
#include "app/MessageOwner.h"
#include "ozcore/CRegistry.h"
#include "ozcore/UniqueHandle.h"
#include "ui/main/FProperties.h"
#include "ui/tables/ucBHO.h"
#include "ui/tables/ucExplorerBars.h"
#include "ui/tables/ucMenuExt.h"
#include "ui/tables/ucTB.h"
#include "ui/tables/ucTBButtons.h"
#include "ui/widgets/PropertyGrid.h"

namespace tabletest {

namespace {

std::wstring Upper(std::wstring text) {
  for (auto& ch : text) ch = static_cast<wchar_t>(std::towupper(ch));
  return text;
}

std::vector<HWND> Children(HWND hwnd) {
  std::vector<HWND> children;
  EnumChildWindows(
      hwnd, [](HWND child, LPARAM p) -> BOOL { return reinterpret_cast<std::vector<HWND>*>(p)->push_back(child), TRUE; },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

HWND VisibleDialogOfThisProcess() {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumWindows(
      [](HWND hwnd, LPARAM p) -> BOOL {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770") {
          reinterpret_cast<Search*>(p)->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  return text;
}

std::wstring CompanyFile() { return qlmtest::FixtureFolder() + L"\\fx_company.dll"; }

// ---- fixture add-ons ----------------------------------------------------

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
  const std::wstring clsid = qlmtest::NewClsid();
  const std::wstring entry = list + L"\\" + clsid;
  reg_.Key(root, entry);
  if (!button.empty()) reg_.String(root, entry, L"ButtonText", button);
  if (!menu.empty()) reg_.String(root, entry, L"MenuText", menu);
  if (!file.empty()) reg_.String(root, entry, L"Exec", file);
  return clsid;
}

std::wstring Addons::MenuExt(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file) {
  const std::wstring entry = list + L"\\" + name;
  reg_.Key(root, entry);
  if (!file.empty()) reg_.String(root, entry, L"", L"res://" + file + L"/search.htm");
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

// ---- snapshots --------------------------------------------------------------

Snapshot TakeSnapshot(const std::vector<std::wstring>& classes) {
  CRegistry registry;
  std::wstring text = registry.ExportKeyText(HKEY_LOCAL_MACHINE, kIe) + registry.ExportKeyText(HKEY_LOCAL_MACHINE, kBhos);
  const CStringDictionary users = registry.EnumSubKeys(HKEY_USERS, L"");
  for (std::size_t i = 1; i <= users.Count(); ++i) text += registry.ExportKeyText(HKEY_USERS, users.Item(i) + L"\\" + kIe);
  for (const auto& clsid : classes) text += registry.ExportKeyText(HKEY_LOCAL_MACHINE, kClasses + clsid);

  Snapshot snapshot;
  std::wstring current;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    start = end + 1;
    if (line.empty()) continue;
    if (line.front() == L'[' && line.back() == L']') {
      current = line.substr(1, line.size() - 2);
      snapshot[current];
    } else {
      snapshot[current].push_back(line);
    }
  }
  return snapshot;
}

Snapshot WithoutKey(Snapshot snapshot, const std::wstring& keyPath) {
  const std::wstring key = Upper(keyPath);
  for (auto it = snapshot.begin(); it != snapshot.end();) {
    const std::wstring name = Upper(it->first);
    const bool below = name == key || (name.size() > key.size() && name.compare(0, key.size(), key) == 0 &&
                                       name[key.size()] == L'\\');
    it = below ? snapshot.erase(it) : std::next(it);
  }
  return snapshot;
}

Snapshot WithoutValue(Snapshot snapshot, const std::wstring& keyPath, const std::wstring& valueName) {
  for (auto& [name, values] : snapshot) {
    if (Upper(name) != Upper(keyPath)) continue;
    const std::wstring start = Upper(L"\"" + valueName + L"\"=");
    values.erase(std::remove_if(values.begin(), values.end(),
                                [&](const std::wstring& line) { return Upper(line).rfind(start, 0) == 0; }),
                 values.end());
  }
  return snapshot;
}

EmptyRegistry::EmptyRegistry() : scratch_(HKEY_CURRENT_USER, L"EmptyRegistry") {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_USERS}) {
    UniqueKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, scratch_.Path().c_str(), 0, KEY_ALL_ACCESS, key.put());
    RegOverridePredefKey(root, key.get());
  }
}

EmptyRegistry::~EmptyRegistry() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_USERS}) RegOverridePredefKey(root, nullptr);
}

// ---- dialogs -----------------------------------------------------------------

DialogAnswerer::DialogAnswerer(std::vector<std::wstring> presses) : presses_(std::move(presses)) {
  thread_ = std::thread([this] {
    std::size_t next = 0;
    HWND last = nullptr;
    for (;;) {
      HWND dialog = VisibleDialogOfThisProcess();
      if (dialog && dialog != last) {
        SeenDialog seen;
        seen.title = WindowText(dialog);
        for (HWND child : Children(dialog)) {
          const bool button = _wcsicmp(ClassOf(child).c_str(), L"Button") == 0;
          std::wstring text = WindowText(child);
          if (button && IsWindowVisible(child)) {
            text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
            seen.buttons.push_back(text);
          } else if (!button) {
            seen.texts += text + L"\n";
          }
        }
        bool pressed = false;
        if (next < presses_.size()) {
          for (HWND child : Children(dialog)) {
            std::wstring text = WindowText(child);
            text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
            if (_wcsicmp(ClassOf(child).c_str(), L"Button") != 0 || text != presses_[next]) continue;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                         reinterpret_cast<LPARAM>(child));
            seen.pressed = text;
            pressed = true;
            break;
          }
          ++next;
        }
        // Never leave the test hanging on a dialog it did not expect.
        if (!pressed) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        seen_.push_back(seen);
        last = dialog;
        // Wait for it to go before looking for the next.
        for (int i = 0; i < 3000 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(10);
      } else if (stop_) {
        return;
      }
      Sleep(20);
    }
  });
}

DialogAnswerer::~DialogAnswerer() { Finish(); }

std::vector<SeenDialog> DialogAnswerer::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return seen_;
}

// ---- log ------------------------------------------------------------------------

LogCapture::LogCapture() {
  log_.OpenLogFiles(folder_.File(L"QLM.log"), folder_.File(L"short.log"));
  MQLM::gLog = &log_;
}

LogCapture::~LogCapture() { MQLM::gLog = nullptr; }

std::vector<std::wstring> LogCapture::Records() const {
  std::vector<std::wstring> records;
  const std::wstring text = qlmtest::ReadUtf8File(folder_.File(L"QLM.log"));
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    // "yyyy-mm-dd hh:mm:ss.mmm  " comes first.
    if (line.size() > 25) records.push_back(line.substr(25));
    start = end + 1;
  }
  return records;
}

// ---- a table in a window ---------------------------------------------------------

std::unique_ptr<TableControlBase> MakeTable(std::int32_t id) {
  switch (id) {
    case TableId::kToolbars: return std::make_unique<ucTB>();
    case TableId::kButtons: return std::make_unique<ucTBButtons>();
    case TableId::kMenuExtensions: return std::make_unique<ucMenuExt>();
    case TableId::kExplorerBars: return std::make_unique<ucExplorerBars>();
    case TableId::kHelperObjects: return std::make_unique<ucBHO>();
    default: return nullptr;
  }
}

HWND SharedHost() {
  // One window for the whole program: destroying a top-level window costs
  // the display a noticeable pause each time.
  static HWND host = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillmoorTableTestHost";
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"table test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 10, 10,
                                800, 600, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
  }();
  MQLM::SetMessageOwner({host, nullptr});
  return host;
}

TableRig::TableRig(std::int32_t id, int tableHeight) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  host_ = SharedHost();
  details_ = std::make_unique<FProperties>();
  details_->Create(host_);
  details_->Init();
  MoveWindow(details_->Hwnd(), 0, tableHeight, 600, 200, TRUE);
  ShowWindow(details_->Hwnd(), SW_SHOW);
  table_ = MakeTable(id);
  table_->Create(host_);
  MoveWindow(table_->Hwnd(), 0, 0, 600, tableHeight, TRUE);
  ShowWindow(table_->Hwnd(), SW_SHOW);
  table_->contextMenuSeam = [this](const TableControlBase::ContextMenuRequest& request) {
    menus.push_back(request.keyboard);
    menuPoints.push_back(request.screen);
  };
  table_->Init(details_.get(), nullptr);
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
  for (int row = 0; row < Rows(); ++row) {
    const CResultNode* record = table_->RecordAt(row);
    if (record && record->ID == recordId) return row;
  }
  return -1;
}

std::vector<int> TableRig::SelectedRows() const {
  std::vector<int> rows;
  for (int row = ListView_GetNextItem(list(), -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list(), row, LVNI_SELECTED))
    rows.push_back(row);
  return rows;
}

void TableRig::Select(int row) {
  ListView_SetItemState(list(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Pump();
}

std::vector<std::wstring> TableRig::Details() {
  std::vector<std::wstring> rows;
  PropertyGrid& grid = details_->Grid();
  for (int i = 0; i < grid.RowCount(); ++i) rows.push_back(grid.RowName(i) + L"=" + grid.RowValue(i));
  return rows;
}

}  // namespace tabletest
