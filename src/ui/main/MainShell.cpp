#include "ui/main/MainShell.h"

#include <shellapi.h>

#include "core/QlmError.h"
#include "discovery/FileProperties.h"

namespace {

// ShellExecute's result above 32 means success; at or below, an error code.
void Open(HWND owner, const std::wstring& target, const wchar_t* source) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) {
    throw QlmError(static_cast<std::int32_t>(result), source,
                   L"The shell could not open \"" + target + L"\" (error " + std::to_wstring(result) + L")");
  }
}

}  // namespace

MainShell MainShell::System() {
  MainShell shell;
  shell.openAddress = [](const std::wstring& address) { Open(nullptr, address, L"FMain.SearchGoogle"); };
  shell.openFolder = [](const std::wstring& folder, HWND owner) { Open(owner, folder, L"FMain.MenuRestore"); };
  shell.showFileProperties = [](const std::wstring& file, HWND owner) {
    if (!FileProperties::ShowFileProperties(file, owner))
      throw QlmError(-1, L"FMain.ShowFiledetails", L"The shell could not show the properties of \"" + file + L"\"");
  };
  return shell;
}
