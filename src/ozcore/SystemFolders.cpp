#include "ozcore/SystemFolders.h"

#include <windows.h>
#include <shlobj.h>

namespace systemfolders {

std::wstring RoamingAppData() {
  PWSTR raw = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &raw)) && raw) {
    folder = raw;
  }
  CoTaskMemFree(raw);
  if (folder.empty()) {
    // No shell folder (a service account, a broken profile): the variable.
    wchar_t buf[MAX_PATH * 2] = {};
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", buf, static_cast<DWORD>(std::size(buf)));
    if (n > 0 && n < std::size(buf)) folder.assign(buf, n);
  }
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  return folder;
}

std::wstring Windows() {
  wchar_t buf[MAX_PATH * 2] = {};
  const UINT n = GetWindowsDirectoryW(buf, static_cast<UINT>(std::size(buf)));
  if (n == 0 || n >= std::size(buf)) return {};
  std::wstring folder(buf, n);
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

}  // namespace systemfolders
