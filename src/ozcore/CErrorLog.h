#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "ozcore/OzCoreExport.h"
#include "ozcore/SafeFolder.h"

// The program's log: a full log with every record and a short log with the
// error records only. Files are appended to (UTF-8), one line per record:
//   2026-12-06 19:02:03.123  L5  #0  MQLM.Main  ********** start app
// Each record is written through at once, so nothing is lost on a crash.
class OZCORE_API CErrorLog {
 public:
  CErrorLog();
  ~CErrorLog();
  CErrorLog(const CErrorLog&) = delete;
  CErrorLog& operator=(const CErrorLog&) = delete;

  // Opens (creating when needed) both files, each through its folder's
  // checked chain (SafeFolder): a log that is a link, has another name or
  // lies behind a link is not opened, and not a byte is written to it.
  // False when either cannot be opened; records still go to the one that
  // could, and FullLogProblem / ShortLogProblem say why.
  bool OpenLogFiles(const std::wstring& fullLog, const std::wstring& shortLog);
  PlaceCheck FullLogProblem() const;
  PlaceCheck ShortLogProblem() const;
  // Level 5 with number 0 is information; everything else is an error and
  // goes to the short log as well.
  void LogMessage(std::int32_t number, const std::wstring& text, std::int32_t level, const std::wstring& context);

  std::wstring FullLogPath() const;
  std::wstring ShortLogPath() const;

  // The line a record gives in the files (without the line break).
  static std::wstring FormatRecord(std::int32_t number, const std::wstring& text, std::int32_t level,
                                   const std::wstring& context);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
