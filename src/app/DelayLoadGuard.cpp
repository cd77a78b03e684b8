#include "app/DelayLoadGuard.h"

#include <windows.h>
#include <delayimp.h>

#include <string>

#include "core/QlmError.h"

namespace {

// The last failure seen; the stub below reports it. One thread binds
// imports at a time in this program (the user-interface thread).
std::wstring gFailedDll;
std::wstring gFailedEntry;

std::wstring Widen(const char* text) {
  std::wstring out;
  for (; text && *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

// Stands in for every entry point that could not be bound. It is entered
// in place of the real function, with the caller's arguments, and only
// raises, so its own signature does not matter.
[[noreturn]] void RaiseBindFailure() {
  if (gFailedEntry.empty())
    throw QlmError(48, L"MQLM.DelayLoad", L"Error in loading DLL " + gFailedDll);
  throw QlmError(errors::kDllEntryMissing, L"MQLM.DelayLoad", L"Can't find DLL entry point " + gFailedEntry + L" in " + gFailedDll);
}

FARPROC WINAPI OnDelayLoadFailure(unsigned notify, PDelayLoadInfo info) {
  if (!info) return nullptr;
  if (notify == dliFailLoadLib) {
    // Hand the loader the program itself: it has no exports, so every entry
    // point then fails to bind and lands in the stub.
    gFailedDll = Widen(info->szDll);
    gFailedEntry.clear();
    return reinterpret_cast<FARPROC>(GetModuleHandleW(nullptr));
  }
  if (notify == dliFailGetProc) {
    gFailedDll = Widen(info->szDll);
    if (info->hmodCur == GetModuleHandleW(nullptr))
      gFailedEntry.clear();  // the DLL itself is missing
    else
      gFailedEntry = info->dlp.fImportByName ? Widen(info->dlp.szProcName)
                                             : L"#" + std::to_wstring(info->dlp.dwOrdinal);
    return reinterpret_cast<FARPROC>(&RaiseBindFailure);
  }
  return nullptr;
}

}  // namespace

namespace Startup {

void InstallDelayLoadGuard() { __pfnDliFailureHook2 = &OnDelayLoadFailure; }

}  // namespace Startup
