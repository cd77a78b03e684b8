// The test build of Quillmoor.exe: the program's own start-up, windows and
// resources, with the data folder's parent taken from the command line
// ("--data-folder <folder>") so that the process tests keep their logs and
// backups in folders of their own. Built only with the tests; the shipped
// program reads no command line.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Startup::StartupParts parts = Startup::RealStartupParts();
  bool given = false;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; args && i + 1 < count; ++i) {
    if (std::wstring(args[i]) != L"--data-folder") continue;
    std::wstring parent = args[i + 1];
    if (!parent.empty() && parent.back() != L'\\') parent.push_back(L'\\');
    parts.dataFolderParent = [parent] { return parent; };
    given = true;
  }
  if (args) LocalFree(args);
  // Without a folder of the test's, the user's real one would be used.
  if (!given) return Startup::kExitRefused;
  return Startup::Main(parts);
}
