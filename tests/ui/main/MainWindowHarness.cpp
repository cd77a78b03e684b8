#include "ui/main/MainWindowHarness.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "support/LogLines.h"
#include "support/WindowProbe.h"
#include "engine/files/FileResolver.h"
#include "ui/main/MainWindow.h"
#include "ui/main/TableHost.h"
#include "ui/tables/ITableControl.h"

using namespace qlmtest;

namespace mainwindowtest {

ProgramState::Com::Com() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
ProgramState::Com::~Com() { CoUninitialize(); }

ProgramState::ProgramState() {
  data_.path = temp_.File(L"Quillmoor");
  data_.settingsKey.clear();  // each start at the first size
  CreateDirectoryW(data_.path.c_str(), nullptr);
  log_ = std::make_unique<ScopedLog>(data_.path);
  files_ = std::make_unique<FileResolver>(true);
}

ProgramState::~ProgramState() = default;

std::vector<std::wstring> ProgramState::LogRecords() const { return LogLines(data_.path + L"\\QLM.log"); }

std::vector<std::wstring> ProgramState::BackupFiles() const {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((data_.path + L"\\Backup\\*.reg").c_str(), &found);
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

HWND CurrentList(MainWindow& main) {
  ITableControl* table = main.Host() ? main.Host()->CurrentTable() : nullptr;
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

void WindowOverToolbars::SetUp() {
  ASSERT_TRUE(main_.Open());
  main_.Shell().openAddress = [this](const std::wstring& address) { addresses_.push_back(address); };
  main_.Shell().openFolder = [this](const std::wstring& folder, HWND) { folders_.push_back(folder); };
  main_.Shell().showFileProperties = [this](const std::wstring& file, HWND owner) {
    properties_.push_back(file);
    EXPECT_EQ(owner, main_.Hwnd());
  };
  list_ = CurrentList(main_);
  ASSERT_TRUE(list_ && SelectRow(list_, zebra_.Name())) << "the fixture toolbar is not listed";
}

void WindowOverToolbars::TearDown() { main_.Destroy(); }

std::vector<Dialog> WindowOverToolbars::Run(int command, std::vector<std::wstring> presses) {
  DialogAnswerer answer(std::move(presses));
  main_.RunCommand(command);
  Pump();
  return answer.StopAndSeen();
}

}  // namespace mainwindowtest
