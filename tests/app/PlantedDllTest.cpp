// DLLs named like the program's own or like the system's, put in the
// current folder and in a folder on PATH, are never loaded by qmscan or by
// the program: every load of each process is recorded from its start to
// its end (as its debugger, so a DLL loaded and freed again is seen too).
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

#include "support/ProgramProcess.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

using namespace qlmtest;

namespace {

struct RecordedRun {
  std::vector<std::wstring> modules;  // the files the system mapped, as it names them
  DWORD exitCode = STILL_ACTIVE;
};

std::wstring FinalPath(HANDLE file) {
  std::wstring path(32768, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), 0);
  path.resize(n < path.size() ? n : 0);
  return path;
}

// Starts commandLine in folder as a debuggee, records the DLLs it loads and
// lets whileRunning (given the process id) act until the process ends.
RecordedRun RunRecordingLoads(std::wstring commandLine, const std::wstring& folder,
                              const std::function<void(DWORD)>& whileRunning) {
  RecordedRun run;
  std::promise<DWORD> started;
  std::thread debugger([&] {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueFile nul(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = nul.get();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS | CREATE_NO_WINDOW,
                        nullptr, folder.c_str(), &si, &pi)) {
      started.set_value(0);
      return;
    }
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    started.set_value(pi.dwProcessId);
    for (DEBUG_EVENT event{}; WaitForDebugEvent(&event, 120000);) {
      DWORD answer = DBG_CONTINUE;
      if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
        const UniqueFile file(event.u.LoadDll.hFile);
        run.modules.push_back(FinalPath(file.get()));
      } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
        const UniqueFile file(event.u.CreateProcessInfo.hFile);
      } else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                 event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
        answer = DBG_EXCEPTION_NOT_HANDLED;  // the debuggee's own handlers deal with it
      }
      if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) run.exitCode = event.u.ExitProcess.dwExitCode;
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
      if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
    }
  });
  if (const DWORD pid = started.get_future().get()) whileRunning(pid);
  debugger.join();
  return run;
}

bool Contains(std::wstring path, std::wstring part) {
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  CharUpperBuffW(part.data(), static_cast<DWORD>(part.size()));
  return path.find(part) != std::wstring::npos;
}

// The last part of a folder's path: unique to the test, whatever form of
// the path the system reports.
std::wstring LastPart(const std::wstring& folder) { return folder.substr(folder.find_last_of(L'\\') + 1); }

}  // namespace

TEST(PlantedDlls, NeitherProgramLoadsADllFromTheCurrentFolderOrPath) {
  TempFolder current, onPath, data, scanAlone;
  for (const TempFolder* folder : {&current, &onPath})
    for (const wchar_t* name : {L"ozCore.dll", L"QLMCustom.dll", L"version.dll", L"wintrust.dll", L"uxtheme.dll"})
      ASSERT_TRUE(CopyFileW((FixtureFolder() + L"\\fx_german.dll").c_str(), folder->File(name).c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((DistFolder() + L"\\qmscan.exe").c_str(), scanAlone.File(L"qmscan.exe").c_str(), FALSE));
  ProgramProcess program;
  ASSERT_TRUE(program.Copied());

  const auto closeMainWindow = [](DWORD pid) {
    const HWND window = WaitForWindowOf(pid);
    EXPECT_NE(window, nullptr) << "the program did not start";
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    const UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (!window && process) TerminateProcess(process.get(), 99);
  };
  struct Case {
    const char* what;
    std::wstring folder, arguments;
    std::function<void(DWORD)> whileRunning;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"qmscan without its library", scanAlone.Path(), L"qmscan.exe\" --help", [](DWORD) {}, 3},
      {"qmscan", DistFolder(), L"qmscan.exe\" --help", [](DWORD) {}, 0},
      {"the program", program.Folder(), L"Quillmoor.exe\" --data-folder \"" + data.Path() + L"\"", closeMainWindow, 0},
  };
  wchar_t path[32767] = {};
  GetEnvironmentVariableW(L"PATH", path, 32767);
  SetEnvironmentVariableW(L"PATH", (onPath.Path() + L";" + path).c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RecordedRun run =
        RunRecordingLoads(L"\"" + c.folder + L"\\" + c.arguments, current.Path(), c.whileRunning);
    EXPECT_EQ(run.exitCode, c.exitCode);
    bool ownLibrary = false;
    for (const auto& module : run.modules) {
      EXPECT_FALSE(Contains(module, LastPart(current.Path())) || Contains(module, LastPart(onPath.Path())))
          << Narrow(module);
      ownLibrary = ownLibrary || Contains(module, LastPart(c.folder) + L"\\ozCore.dll");
    }
    // The loads were seen: the program's own library is there when it is
    // beside the program.
    EXPECT_EQ(ownLibrary, c.folder != scanAlone.Path());
  }
  SetEnvironmentVariableW(L"PATH", path);
}
