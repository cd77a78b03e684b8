#include "engine/files/FileProperties.h"

#include <shellapi.h>

#include "ozcore/UniqueHandle.h"

namespace FileProperties {

bool ShowFileProperties(const std::wstring& file, HWND owner) {
  if (file.empty()) return false;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = L"properties";
  info.lpFile = file.c_str();
  info.lpParameters = L"";
  info.lpDirectory = L"";
  info.nShow = SW_HIDE;
  const bool accepted = ShellExecuteExW(&info) != FALSE;
  // The properties window runs in this process; a handle, if any, is ours
  // to close.
  UniqueKernelHandle process(info.hProcess);
  return accepted;
}

}  // namespace FileProperties
