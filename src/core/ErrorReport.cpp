#include "core/ErrorReport.h"

#include <windows.h>

#include <new>

#include "core/ProcessState.h"
#include "core/QlmError.h"
#include "ozcore/CErrorLog.h"
#include "ozcore/CUtilities.h"

ErrorInfo ErrorFromWin32(unsigned long code) {
  return {static_cast<std::int32_t>(HRESULT_FROM_WIN32(code)), CUtilities::SystemMessage(code)};
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
    return {51, L"Internal error: " + CUtilities::FromUtf8(what)};
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
