// Stoatline.dll: starts Quillmoor elevated. Run through rundll32 with the
// program's folder as the argument:
//   rundll32.exe "<folder>\Stoatline.dll", stoat_line <folder>
// rundll32 calls stoat_lineW when it exists, stoat_line otherwise.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "components/StoatlineRules.h"

namespace {

void StartElevated(const std::wstring& argument) noexcept {
  try {
    const std::wstring program = Stoatline::ProgramInFolder(argument);
    if (program.empty()) return;
    const std::wstring folder = Stoatline::FolderOf(program);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    // A declined prompt is the user's answer: nothing more to do.
    ShellExecuteExW(&info);
  } catch (...) {
    // Out of memory: nothing can be started.
  }
}

std::wstring FromAnsi(const char* text) {
  if (!text) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

}  // namespace

extern "C" __declspec(dllexport) void CALLBACK stoat_lineW(HWND, HINSTANCE, LPWSTR commandLine, int) {
  StartElevated(commandLine ? std::wstring(commandLine) : std::wstring());
}

extern "C" __declspec(dllexport) void CALLBACK stoat_line(HWND, HINSTANCE, LPSTR commandLine, int) {
  std::wstring argument;
  try {
    argument = FromAnsi(commandLine);
  } catch (...) {
    return;
  }
  StartElevated(argument);
}
