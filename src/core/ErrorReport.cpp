#include "core/ErrorReport.h"

#include <windows.h>

#include <exception>
#include <new>

#include "core/ProgramLog.h"
#include "core/QlmError.h"
#include "ozcore/CErrorLog.h"
#include "ozcore/SystemMessage.h"
#include "ozcore/Utf8Text.h"

ErrorInfo ErrorFromWin32(unsigned long code) {
  return {static_cast<std::int32_t>(HRESULT_FROM_WIN32(code)), systemmessage::ForCode(code)};
}

ErrorInfo CurrentError() {
  try {
    throw;
  } catch (const QlmError& e) {
    return {e.Number(), e.Description()};
  } catch (const std::bad_alloc&) {
    return {7, L"Out of memory"};
  } catch (const std::exception& e) {
    const std::string what = e.what();
    return {51, L"Internal error: " + utf8text::FromUtf8(what)};
  } catch (...) {
    return {51, L"Internal error"};
  }
}

void LogRecord(std::int32_t number, const std::wstring& text, std::int32_t level, const std::wstring& context) {
  if (core::gLog) core::gLog->LogMessage(number, text, level, context);
}

void LogError(const ErrorInfo& error, std::int32_t level, const std::wstring& context) {
  LogRecord(error.number, error.description, level, context);
}

void LogInformation(const std::wstring& text, const std::wstring& context) {
  LogRecord(0, text, kLevelInformation, context);
}

namespace {
// The procedure an exception on its way to an edge left first; an edge
// reads and forgets it. Per thread: the backup's jobs run on threads of
// their own.
struct FailedProcedure {
  const wchar_t* type = nullptr;
  const wchar_t* procedure = nullptr;
};
thread_local FailedProcedure gFailedIn;
}  // namespace

ProcedureName::ProcedureName(const wchar_t* type, const wchar_t* procedure) noexcept
    : type_(type), procedure_(procedure), unwinding_(std::uncaught_exceptions()) {
  // A procedure that starts normally: whatever failed before was handled.
  if (unwinding_ == 0) gFailedIn = {};
}

ProcedureName::~ProcedureName() {
  const int inFlight = std::uncaught_exceptions();
  if (inFlight > unwinding_) {
    // Only the innermost procedure an exception leaves names it.
    if (!gFailedIn.procedure) gFailedIn = {type_, procedure_};
  } else if (inFlight == 0) {
    // Ended normally: whatever failed inside it was handled there.
    gFailedIn = {};
  }
}

namespace errorreport {

void ForgetFailedProcedure() noexcept { gFailedIn = {}; }

NotedProcedureSetAside::NotedProcedureSetAside() noexcept : type_(gFailedIn.type), procedure_(gFailedIn.procedure) {
  gFailedIn = {};
}

NotedProcedureSetAside::~NotedProcedureSetAside() { gFailedIn = {type_, procedure_}; }

void LogEdgeFailure(const wchar_t* type, const wchar_t* procedure, std::int32_t level) noexcept {
  const FailedProcedure failedIn = gFailedIn.procedure ? gFailedIn : FailedProcedure{type, procedure};
  gFailedIn = {};
  try {
    LogError(CurrentError(), level, std::wstring(failedIn.type) + L"." + failedIn.procedure);
  } catch (...) {
    // Logging itself failed: the edge still ends quietly.
  }
}

}  // namespace errorreport
