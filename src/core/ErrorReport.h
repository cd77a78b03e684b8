#pragma once
// The one way procedures log what went wrong: one record (number,
// description, level, context) through the process logger, nothing shown
// to the user.
//
// Contexts name the place: "<Type>.<Procedure>" for forms, classes and
// controls ("FMain.SearchGoogle"), "<Module>.<Procedure>" for module code
// ("MAPI.BackupRegistry").
//
// How a failure becomes (number, description):
//   QlmError          its own number and description
//   a Win32 error     HRESULT_FROM_WIN32(code) and the system's message
//   std::bad_alloc    7, "Out of memory"
//   other exception   51, "Internal error: " + what()
//   anything else     51, "Internal error"
#include <cstdint>
#include <exception>
#include <string>

// Error levels of log records.
constexpr std::int32_t kLevelError = 0;        // the rule
constexpr std::int32_t kLevelDiscovery = 4;    // discovery, backup, start-up component failure
constexpr std::int32_t kLevelInformation = 5;  // information records (number 0)

struct ErrorInfo {
  std::int32_t number = 0;
  std::wstring description;
};

// A Win32 error code as (number, description).
ErrorInfo ErrorFromWin32(unsigned long code);
// The exception being handled, as (number, description). Call inside catch.
ErrorInfo CurrentError();

// Writes one record; does nothing when no logger exists.
void LogRecord(std::int32_t number, const std::wstring& text, std::int32_t level, const std::wstring& context);
void LogError(const ErrorInfo& error, std::int32_t level, const std::wstring& context);
void LogInformation(const std::wstring& text, const std::wstring& context);

// Runs body; an exception escaping it is logged once under context at the
// given level and swallowed. True when body ran to its end.
template <typename Body>
bool Guarded(const std::wstring& context, std::int32_t level, Body&& body) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    try {
      LogError(CurrentError(), level, context);
    } catch (...) {
      // Logging itself failed: the procedure still ends quietly.
    }
    return false;
  }
}
