// Quillmoor.exe itself, started as a separate process from a copy of the
// distribution folder, with its data folder redirected into a temp folder.
#include <gtest/gtest.h>

#include "app/LogRecords.h"
#include "app/WindowProbe.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const wchar_t* const kDistFiles[] = {L"Quillmoor.exe", L"ozCore.dll", L"QLMCustom.dll", L"Stoatline.dll"};

class AppStartupProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : kDistFiles)
      ASSERT_TRUE(CopyFileW((DistFolder() + L"\\" + name).c_str(), program_.File(name).c_str(), FALSE))
          << Narrow(name);
    SetEnvironmentVariableW(L"QLM_TEST_APPDATA", data_.Path().c_str());
  }
  void TearDown() override {
    if (process_) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 10000);
    }
    SetEnvironmentVariableW(L"QLM_TEST_APPDATA", nullptr);
  }

  void Remove(const wchar_t* name) { ASSERT_TRUE(DeleteFileW(program_.File(name).c_str())); }
  void Replace(const wchar_t* name, const std::wstring& with) {
    ASSERT_TRUE(CopyFileW(with.c_str(), program_.File(name).c_str(), FALSE));
  }

  void Start() {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + program_.File(L"Quillmoor.exe") + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, program_.Path().c_str(), &si,
                               &pi));
    process_.reset(pi.hProcess);
    UniqueKernelHandle thread(pi.hThread);
    pid_ = pi.dwProcessId;
  }

  // Waits for the process to end; its exit code, or -1 when it did not.
  int ExitCode() {
    if (WaitForSingleObject(process_.get(), 60000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    process_.reset();
    return static_cast<int>(code);
  }

  HWND MainWindow(DWORD timeoutMs = 60000) {
    return WaitForTopLevel(
        [this](HWND hwnd) {
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          return pid == pid_ && IsWindowVisible(hwnd) && WindowText(hwnd) == L"   Quillmoor";
        },
        timeoutMs);
  }

  // Answers the component message and checks what it said.
  void ExpectComponentMessage(const std::wstring& dll) {
    HWND box = WaitForDialogOf(pid_);
    ASSERT_NE(box, nullptr) << "no message shown";
    EXPECT_EQ(WindowText(box), L"Quillmoor");
    EXPECT_EQ(ButtonCaptions(box), std::vector<std::wstring>{L"OK"});
    const std::wstring text = StaticTexts(box);
    EXPECT_NE(text.find(L"Component '" + dll +
                        L"' or one of its dependencies not correctly registered: a file is missing or invalid. Try "
                        L"to reinstall Quillmoor."),
              std::wstring::npos)
        << Narrow(text);
    EXPECT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(ExitCode(), 1);
  }

  std::vector<LogLine> Log() { return ReadLog(data_.File(L"Quillmoor\\QLM.log")); }

  TempFolder program_;
  TempFolder data_;
  UniqueKernelHandle process_;
  DWORD pid_ = 0;
};

}  // namespace

TEST_F(AppStartupProcess, StartsWritesItsRecordsAndEndsWhenClosed) {
  Start();
  HWND window = MainWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0);

  const auto log = Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0].text, L"********** start app");
  EXPECT_EQ(log[1].text, L"Quillmoor ver." QLM_TEST_VERSION);
  EXPECT_EQ(log[2].text.rfind(L"Windows: ", 0), 0u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(log[i].context, L"MQLM.Main");
  // Wine reports an NT system of version 6 or later, an administrator and
  // no user account control: the privilege record, and start-up goes on.
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3].context, L"MVista");
  EXPECT_EQ(log[3].level, 5);
  EXPECT_EQ(log[3].text.rfind(L"UACEnabled=False, IsAdmin=True, ElevationType=", 0), 0u) << Narrow(log[3].text);
  // Information only: nothing in the short log.
  EXPECT_TRUE(ReadLog(data_.File(L"Quillmoor\\short.log")).empty());
}

TEST_F(AppStartupProcess, MissingCustomComponent) {
  Remove(L"QLMCustom.dll");
  Start();
  ExpectComponentMessage(L"QLMCUSTOM.DLL");
  EXPECT_EQ(MainWindow(0), nullptr);
  const auto log = Log();
  ASSERT_FALSE(log.empty());
  // The component record is the last one written.
  EXPECT_EQ(log.back().level, 4);
  EXPECT_EQ(log.back().number, 0);
  EXPECT_EQ(log.back().context, L"MQLM.Main");
  EXPECT_EQ(log.back().text.rfind(L"Component 'QLMCUSTOM.DLL'", 0), 0u);
  EXPECT_EQ(log.front().text, L"********** start app");
}

TEST_F(AppStartupProcess, MissingCommonLibrary) {
  Remove(L"ozCore.dll");
  Start();
  ExpectComponentMessage(L"OZCORE.DLL");
  // The logger lives in the missing library: no log at all.
  EXPECT_EQ(GetFileAttributesW(data_.File(L"Quillmoor").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(AppStartupProcess, BothComponentsMissingNamesTheCommonLibrary) {
  Remove(L"ozCore.dll");
  Remove(L"QLMCustom.dll");
  Start();
  ExpectComponentMessage(L"OZCORE.DLL");
}

TEST_F(AppStartupProcess, CommonLibraryOfTheWrongKind) {
  // A DLL that loads but has none of the library's entry points: the calls
  // fail one by one and the check reports it, where an unguarded program
  // would die in its first call.
  Replace(L"ozCore.dll", FixtureFolder() + L"\\fx_german.dll");
  Start();
  ExpectComponentMessage(L"OZCORE.DLL");
}
