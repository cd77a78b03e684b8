/* Sends one command to a running Quillmoor, as its ribbon would: finds the
   main window and posts WM_COMMAND with the id. Used by scripts/run.sh to
   close the program through its Exit command (6008).
   Usage: qlm-command.exe ID [SECONDS]   exit code 0 when posted. */
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const int id = _wtoi(argv[1]);
  const int seconds = argc > 2 ? _wtoi(argv[2]) : 30;
  for (int i = 0; i < seconds * 10; ++i) {
    HWND window = FindWindowW(L"QuillmoorMainWindow", L"   Quillmoor");
    if (window && IsWindowVisible(window)) {
      return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0) ? 0 : 1;
    }
    Sleep(100);
  }
  return 1;
}
