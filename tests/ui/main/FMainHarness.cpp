#include "ui/main/FMainHarness.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "app/LogLines.h"
#include "app/MQLMState.h"
#include "app/WindowProbe.h"
#include "discovery/CFileChecker.h"
#include "ozcore/CErrorLog.h"
#include "ui/main/FMain.h"
#include "ui/main/FMultitable.h"
#include "ui/tables/ITableControl.h"

using namespace qlmtest;

namespace fmaintest {

ProcessState::ProcessState() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  data_ = temp_.File(L"Quillmoor");
  CreateDirectoryW(data_.c_str(), nullptr);
  MQLM::gDataFolder = data_;
  log_ = std::make_unique<CErrorLog>();
  log_->OpenLogFiles(data_ + L"\\QLM.log", data_ + L"\\short.log");
  MQLM::gLog = log_.get();
  checker_ = std::make_unique<CFileChecker>();
  MQLM::gFileChecker = checker_.get();
}

ProcessState::~ProcessState() {
  MQLM::gFileChecker = nullptr;
  MQLM::gLog = nullptr;
  MQLM::gDataFolder.clear();
  checker_.reset();
  log_.reset();
  CoUninitialize();
}

std::vector<std::wstring> ProcessState::LogRecords() const { return LogLines(data_ + L"\\QLM.log"); }

std::vector<std::wstring> ProcessState::BackupFiles() const {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((data_ + L"\\Backup\\*.reg").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

namespace {
const wchar_t kToolbarKey[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
const std::wstring kClasses = L"Software\\Classes\\CLSID\\";
}  // namespace

FixtureToolbar::FixtureToolbar(const std::wstring& name) : clsid_(NewClsid()), name_(name) {
  file_ = folder_.File(L"qlmbar.dll");
  CopyFileW((FixtureFolder() + L"\\fx_company.dll").c_str(), file_.c_str(), FALSE);
  reg_.String(HKEY_LOCAL_MACHINE, kClasses + clsid_, L"", name_);
  reg_.String(HKEY_LOCAL_MACHINE, kClasses + clsid_ + L"\\InProcServer32", L"", file_);
  reg_.String(HKEY_LOCAL_MACHINE, kToolbarKey, clsid_, L"");
}

bool FixtureToolbar::Registered() const {
  DWORD type = 0;
  std::vector<unsigned char> data;
  return RawValue(HKEY_LOCAL_MACHINE, kToolbarKey, clsid_, type, data);
}

void FixtureToolbar::RemoveFile() const { DeleteFileW(file_.c_str()); }

HWND CurrentList(FMain& main) {
  ITableControl* table = main.moFMultitable() ? main.moFMultitable()->CurrentTable() : nullptr;
  if (!table) return nullptr;
  for (HWND child : ChildrenOf(table->Hwnd()))
    if (ClassOf(child) == WC_LISTVIEWW) return child;
  return nullptr;
}

std::vector<std::wstring> ListTexts(HWND list) {
  std::vector<std::wstring> texts;
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, i, 0, text, 512);
    texts.push_back(text);
  }
  return texts;
}

bool SelectRow(HWND list, const std::wstring& text) {
  const auto texts = ListTexts(list);
  const auto at = std::find(texts.begin(), texts.end(), text);
  if (at == texts.end()) return false;
  const int row = static_cast<int>(at - texts.begin());
  // As a click: the focus goes to the list, the row becomes the selected one.
  SetFocus(list);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Pump();
  return true;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

DialogAnswerer::DialogAnswerer(std::vector<std::wstring> presses) : presses_(std::move(presses)) {
  thread_ = std::thread([this] {
    const DWORD self = GetCurrentProcessId();
    HWND previous = nullptr;
    for (const std::wstring& press : presses_) {
      HWND dialog = WaitForTopLevel([&](HWND hwnd) {
        if (stop_) return true;
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        return hwnd != previous && pid == self && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770";
      }, 30000);
      if (!dialog || stop_) return;
      Sleep(200);  // let it finish building its controls
      Dialog seen;
      seen.owner = GetWindow(dialog, GW_OWNER);
      seen.title = WindowText(dialog);
      seen.texts = StaticTexts(dialog);
      seen.buttons = ButtonCaptions(dialog);
      GetClientRect(dialog, &seen.client);
      if (press.empty()) {
        HWND focus = nullptr;
        for (HWND child : ChildrenOf(dialog))
          if (ClassOf(child) == L"Button") focus = child;
        PostMessageW(focus ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(focus ? focus : dialog, WM_KEYUP, VK_ESCAPE, 0);
        seen.answered = true;
      } else {
        seen.answered = PressButton(dialog, press);
      }
      if (!seen.answered) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      seen_.push_back(seen);
      // The next dialog is another window, or this one's handle reused
      // after it closed.
      for (int i = 0; i < 100 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(50);
      previous = IsWindow(dialog) ? dialog : nullptr;
    }
  });
}

DialogAnswerer::~DialogAnswerer() {
  if (thread_.joinable()) thread_.join();
}

const std::vector<Dialog>& DialogAnswerer::StopAndSeen() {
  stop_ = true;
  return Seen();
}

const std::vector<Dialog>& DialogAnswerer::Seen() {
  if (thread_.joinable()) thread_.join();
  return seen_;
}

}  // namespace fmaintest
