#pragma once
// The one way procedures log what went wrong: one record (number,
// description, level, context) through the process logger, nothing shown
// to the user.
//
// Contexts name the place: "<Type>.<Procedure>" for windows, classes and
// controls ("FMain.SearchGoogle"), "<Module>.<Procedure>" for module code
// ("MAPI.BackupRegistry"). They are the texts the log has always had, the
// older type names included.
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

// The engine's and the backup's own catch sites (the engine is moving to
// errors as values; the windows and start-up use CatchAtEdge): runs body;
// an exception escaping it is logged once under context at the given
// level and swallowed. True when body ran to its end.
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

// Names the procedure that runs while it lives, for the record an edge
// writes when an exception leaves it: the record's context is the
// innermost named procedure the exception left ("<type>.<procedure>"), so
// that a failure keeps the context it has always been logged under, however
// far it travels to its edge. It catches nothing. Both texts must outlive
// it (string literals, the kinds table's type names). A catch that handles
// a failure inside a named procedure and then fails anew without entering
// another one calls errorreport::ForgetFailedProcedure() first.
class ProcedureName {
 public:
  ProcedureName(const wchar_t* type, const wchar_t* procedure) noexcept;
  ~ProcedureName();
  ProcedureName(const ProcedureName&) = delete;
  ProcedureName& operator=(const ProcedureName&) = delete;

 private:
  const wchar_t* type_;
  const wchar_t* procedure_;
  int unwinding_;  // exceptions in flight when it was made
};

namespace errorreport {
// The record of the failure being handled (call inside catch): under the
// innermost ProcedureName it left, else "<type>.<procedure>" of the edge.
// Forgets that name; logging failures are swallowed.
void LogEdgeFailure(const wchar_t* type, const wchar_t* procedure, std::int32_t level) noexcept;
// Forgets a procedure name noted for a failure that was handled on the way.
void ForgetFailedProcedure() noexcept;

// Set aside for the life of an edge: the name noted before it began, given
// back when it ends. An edge can run while another failure is on its way
// out (a window message sent from a destructor); its own record must not
// take that name, nor lose it.
class NotedProcedureSetAside {
 public:
  NotedProcedureSetAside() noexcept;
  ~NotedProcedureSetAside();
  NotedProcedureSetAside(const NotedProcedureSetAside&) = delete;
  NotedProcedureSetAside& operator=(const NotedProcedureSetAside&) = delete;

 private:
  const wchar_t* type_;
  const wchar_t* procedure_;
};
}  // namespace errorreport

// The one catch of an edge: a window procedure, a command, a start-up
// step. Runs body; an exception escaping it is logged once (see
// ProcedureName for its context, else "<type>.<procedure>": both texts
// outlive the call) at the given level and swallowed. True when body ran
// to its end, so that the caller can handle a failure by name.
template <typename Body>
bool CatchAtEdge(const wchar_t* type, const wchar_t* procedure, std::int32_t level, Body&& body) noexcept {
  const errorreport::NotedProcedureSetAside outer;
  try {
    body();
    return true;
  } catch (...) {
    errorreport::LogEdgeFailure(type, procedure, level);
    return false;
  }
}
