// Starts the program from a copy of the distribution, with its data
// folder in a temp folder, over two toolbars of our own; reads the toolbar
// table of the running program, deletes one toolbar through the Delete
// command answering its dialogs, and closes the program: its records and
// its start-up backup.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "core/Strings.h"
#include "support/LogLines.h"
#include "ui/main/CommandTable.h"
#include "support/WindowProbe.h"
#include "support/RegFixture.h"
#include "ozcore/UniqueHandle.h"
#include "support/ProgramProcess.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const wchar_t kToolbarKey[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
const std::wstring kClasses = L"Software\\Classes\\CLSID\\";

// Memory in the other process, for the list view messages that take a
// pointer: an item followed by room for its text.
struct RemoteItem {
  static constexpr int kChars = 512;
  HANDLE process;
  char* at = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                               MEM_COMMIT, PAGE_READWRITE));
  ~RemoteItem() { VirtualFreeEx(process, at, 0, MEM_RELEASE); }
  LPARAM Put(LVITEMW item) const {
    WriteProcessMemory(process, at, &item, sizeof(item), nullptr);
    return reinterpret_cast<LPARAM>(at);
  }
};

// The visible list view of the program's window: the table showing.
HWND ShownList(HWND main) {
  for (HWND child : ChildrenOf(main))
    if (ClassOf(child) == WC_LISTVIEWW && IsWindowVisible(child)) return child;
  return nullptr;
}

std::vector<std::wstring> RemoteRows(HANDLE process, HWND list) {
  std::vector<std::wstring> rows;
  RemoteItem remote{process};
  LVITEMW item{};
  item.cchTextMax = RemoteItem::kChars;
  item.pszText = reinterpret_cast<wchar_t*>(remote.at + sizeof(LVITEMW));
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), remote.Put(item));
    std::wstring text(RemoteItem::kChars, L'\0');
    ReadProcessMemory(process, item.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, n)));
    rows.push_back(text);
  }
  return rows;
}

void RemoteSelect(HANDLE process, HWND list, int row) {
  LVITEMW item{};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), RemoteItem{process}.Put(item));
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(program_.Copied());
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    AddToolbar(L"Qlm E2E Keep Bar " + pid, keep_);
    AddToolbar(L"Qlm E2E Gone Bar " + pid, gone_);
  }

  struct Bar {
    std::wstring name, clsid;
  };
  void AddToolbar(const std::wstring& name, Bar& bar) {
    bar = {name, NewClsid()};
    const std::wstring file = program_.File(L"bar" + std::to_wstring(&bar == &keep_ ? 1 : 2) + L".dll");
    CopyFileW((FixtureFolder() + L"\\fx_company.dll").c_str(), file.c_str(), FALSE);
    reg_.String(HKEY_LOCAL_MACHINE, kClasses + bar.clsid, L"", bar.name);
    reg_.String(HKEY_LOCAL_MACHINE, kClasses + bar.clsid + L"\\InProcServer32", L"", file);
    reg_.String(HKEY_LOCAL_MACHINE, kToolbarKey, bar.clsid, L"");
  }
  static bool Registered(const Bar& bar) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    return RawValue(HKEY_LOCAL_MACHINE, kToolbarKey, bar.clsid, type, data);
  }

  void Start() {
    ASSERT_TRUE(program_.Start(data_.Path()));
    pid_ = program_.Pid();
  }

  // Waits for the program's next message, checks its text and presses.
  void Answer(const std::wstring& expectedText, const std::wstring& press) {
    HWND dialog = WaitForDialogOf(pid_);
    ASSERT_NE(dialog, nullptr) << "no message for: " << Narrow(expectedText);
    Sleep(200);
    EXPECT_NE(StaticTexts(dialog).find(expectedText), std::wstring::npos) << Narrow(StaticTexts(dialog));
    ASSERT_TRUE(PressButton(dialog, press));
    for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(50);
  }

  ProgramProcess program_;
  TempFolder data_;
  RegFixture reg_;
  Bar keep_, gone_;
  DWORD pid_ = 0;
};

}  // namespace

TEST_F(EndToEnd, ListsTheToolbarsDeletesOneAndEndsWhenClosed) {
  Start();
  HWND main = WaitForWindowOf(pid_);
  ASSERT_NE(main, nullptr) << "the main window did not appear";

  // The toolbar table shows first and lists both.
  HWND list = nullptr;
  for (int i = 0; i < 100 && !list; ++i, Sleep(50)) list = ShownList(main);
  ASSERT_NE(list, nullptr);
  auto rows = RemoteRows(program_.Handle(), list);
  const auto keepAt = std::find(rows.begin(), rows.end(), keep_.name);
  const auto goneAt = std::find(rows.begin(), rows.end(), gone_.name);
  ASSERT_NE(keepAt, rows.end()) << "rows: " << rows.size();
  ASSERT_NE(goneAt, rows.end());

  // Delete, as from the ribbon: confirmation Yes, then the outcome OK.
  RemoteSelect(program_.Handle(), list, static_cast<int>(goneAt - rows.begin()));
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(Commands::kDelete, 0), 0);
  const std::wstring asked = LoadStr(IDS_CONFIRM_DELETE), done = LoadStr(IDS_DELETED);
  Answer(asked.substr(0, asked.find(L"%1")) + gone_.name, L"Yes");
  Answer(done.substr(done.find(L"%1") + 2, done.find_last_not_of(L' ') - 1), L"OK");

  EXPECT_FALSE(Registered(gone_));
  EXPECT_TRUE(Registered(keep_));
  rows = RemoteRows(program_.Handle(), ShownList(main));
  EXPECT_EQ(std::find(rows.begin(), rows.end(), gone_.name), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), keep_.name), rows.end());

  // Closing ends the process.
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.ExitCode(), 0);

  // The start records, and the start-up backup holding the deleted entry,
  // so that it can be merged back.
  const std::wstring folder = data_.File(L"Quillmoor");
  const auto log = LogLines(folder + L"\\QLM.log");
  // Wine reports an NT system of version 6 or later, an administrator and
  // no user account control: the privilege record, and start-up goes on.
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], L"L5  #0  MQLM.Main  ********** start app");
  EXPECT_EQ(log[1].rfind(L"L5  #0  MQLM.Main  Quillmoor ver.", 0), 0u);
  EXPECT_EQ(log[2].rfind(L"L5  #0  MQLM.Main  Windows: ", 0), 0u);
  EXPECT_EQ(log[3].rfind(L"L5  #0  MVista  UACEnabled=False, IsAdmin=True, ElevationType=", 0), 0u);
  EXPECT_TRUE(LogLines(folder + L"\\short.log").empty());
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\Backup\\Backup *.reg").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no backup file";
  FindClose(find);
  const std::wstring backup = ReadUtf16File(folder + L"\\Backup\\" + found.cFileName);
  EXPECT_NE(backup.find(gone_.clsid), std::wstring::npos);
  EXPECT_NE(backup.find(keep_.clsid), std::wstring::npos);
}
