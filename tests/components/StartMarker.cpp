// Stands in for Quillmoor.exe where the elevation helper starts it: notes
// that it ran, and from which working folder, in "started.txt" beside it.
#include <windows.h>

#include <string>

#include "ozcore/UniqueHandle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring folder = self;
  folder = folder.substr(0, folder.find_last_of(L'\\'));
  wchar_t cwd[MAX_PATH * 2] = {};
  const DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, cwd);
  const std::wstring partial = folder + L"\\started.tmp";
  {
    UniqueFile file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 1;
    DWORD written = 0;
    WriteFile(file.get(), cwd, n * sizeof(wchar_t), &written, nullptr);
  }
  // The finished note appears at once, never half written.
  return MoveFileExW(partial.c_str(), (folder + L"\\started.txt").c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
