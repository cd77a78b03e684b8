#pragma once
// The program as a process of its own: a copy of the distribution in a
// folder of the test's, where Quillmoor.exe is the test build of the
// program. That build runs the program's own start-up and windows, with one
// difference: its data folder (logs, backups) goes where the test says, so
// that a test never writes into the user's real data folder.
#include <windows.h>

#include <initializer_list>
#include <string>

#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

namespace qlmtest {

class ProgramProcess {
 public:
  // Copies Quillmoor.exe (the test build), ozCore.dll, QLMCustom.dll,
  // Stoatline.dll and the further distribution files named.
  explicit ProgramProcess(std::initializer_list<const wchar_t*> moreFiles = {});
  // Ends a process that is still running (exit code 99).
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // Every file was copied.
  bool Copied() const { return copied_; }
  const std::wstring& Folder() const { return folder_.Path(); }
  std::wstring File(const std::wstring& name) const { return folder_.File(name); }

  // Starts Quillmoor.exe from its folder; its data folder is
  // dataParent\Quillmoor. False when the process could not start.
  bool Start(const std::wstring& dataParent);
  HANDLE Handle() const { return process_.get(); }
  DWORD Pid() const { return pid_; }
  // The exit code once the process has ended, or -1 when it did not end
  // within the time.
  int ExitCode(DWORD milliseconds = 60000);
  void Terminate();

 private:
  TempFolder folder_;
  bool copied_ = true;
  UniqueKernelHandle process_;
  DWORD pid_ = 0;
};

}  // namespace qlmtest
