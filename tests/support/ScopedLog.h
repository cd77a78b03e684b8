#pragma once
// The program's logger for one test: full and short log files in a folder
// of the test's, installed as the process's logger for as long as the
// object lives; the logger before it is put back after, also when the test
// fails.
#include <string>

#include "core/ProgramLog.h"
#include "ozcore/CErrorLog.h"

namespace qlmtest {

class ScopedLog {
 public:
  explicit ScopedLog(const std::wstring& folder) : folder_(folder), previous_(core::gLog) {
    log_.OpenLogFiles(FullLogFile(), ShortLogFile());
    core::gLog = &log_;
  }
  ~ScopedLog() { core::gLog = previous_; }
  ScopedLog(const ScopedLog&) = delete;
  ScopedLog& operator=(const ScopedLog&) = delete;

  std::wstring FullLogFile() const { return folder_ + L"\\QLM.log"; }
  std::wstring ShortLogFile() const { return folder_ + L"\\short.log"; }

 private:
  std::wstring folder_;
  CErrorLog* previous_;
  CErrorLog log_;
};

}  // namespace qlmtest
