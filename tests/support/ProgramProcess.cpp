#include "support/ProgramProcess.h"

namespace qlmtest {

ProgramProcess::ProgramProcess(std::initializer_list<const wchar_t*> moreFiles) {
  auto copy = [this](const std::wstring& from, const wchar_t* name) {
    if (!CopyFileW(from.c_str(), File(name).c_str(), FALSE)) copied_ = false;
  };
  copy(TestBinFolder() + L"\\program\\Quillmoor.exe", L"Quillmoor.exe");
  for (const wchar_t* name : {L"ozCore.dll", L"QLMCustom.dll", L"Stoatline.dll"}) copy(DistFolder() + L"\\" + name, name);
  for (const wchar_t* name : moreFiles) copy(DistFolder() + L"\\" + name, name);
}

ProgramProcess::~ProgramProcess() { Terminate(); }

bool ProgramProcess::Start(const std::wstring& dataParent) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + File(L"Quillmoor.exe") + L"\" --data-folder \"" + dataParent + L"\"";
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, Folder().c_str(), &si, &pi))
    return false;
  process_.reset(pi.hProcess);
  UniqueKernelHandle thread(pi.hThread);
  pid_ = pi.dwProcessId;
  return true;
}

int ProgramProcess::ExitCode(DWORD milliseconds) {
  DWORD code = static_cast<DWORD>(-1);
  if (process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.get(), &code);
    process_.reset();
  }
  return static_cast<int>(code);
}

void ProgramProcess::Terminate() {
  if (!process_) return;
  TerminateProcess(process_.get(), 99);
  WaitForSingleObject(process_.get(), 10000);
  process_.reset();
}

}  // namespace qlmtest
