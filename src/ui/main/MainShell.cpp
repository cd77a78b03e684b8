#include "ui/main/MainShell.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "core/QlmError.h"
#include "core/Strings.h"
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

// The Save dialog's class. Spelled here: the import library that defines
// it also defines the accessibility interface ids the widgets take from
// their own library.
constexpr CLSID kFileSaveDialog = {0xC0B4E2F3, 0xBA21, 0x4773, {0x8D, 0xBA, 0x33, 0x5E, 0xC9, 0x46, 0xEB, 0x8B}};

// The platform's Save dialog, CSV first, HTML second.
std::optional<SaveChoice> ChooseSaveFile(const std::wstring& suggestedName, HWND owner) {
  Microsoft::WRL::ComPtr<IFileSaveDialog> dialog;
  if (FAILED(CoCreateInstance(kFileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
    throw QlmError(-1, L"FMain.SaveList", L"The Save dialog could not be created");
  const std::wstring csv = LoadStr(IDS_SAVE_LIST_CSV), html = LoadStr(IDS_SAVE_LIST_HTML);
  const COMDLG_FILTERSPEC types[] = {{csv.c_str(), L"*.csv"}, {html.c_str(), L"*.html;*.htm"}};
  dialog->SetFileTypes(2, types);
  dialog->SetFileTypeIndex(1);
  dialog->SetDefaultExtension(L"csv");
  dialog->SetFileName(suggestedName.c_str());
  dialog->SetTitle(LoadStr(IDS_SAVE_LIST_TITLE).c_str());
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_NOREADONLYRETURN);
  if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled
  Microsoft::WRL::ComPtr<IShellItem> item;
  PWSTR path = nullptr;
  if (FAILED(dialog->GetResult(&item)) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
    throw QlmError(-1, L"FMain.SaveList", L"The Save dialog gave no file");
  SaveChoice choice;
  choice.path = path;
  CoTaskMemFree(path);
  UINT type = 1;
  dialog->GetFileTypeIndex(&type);
  const std::size_t dot = choice.path.find_last_of(L'.');
  const std::wstring extension = dot == std::wstring::npos ? L"" : choice.path.substr(dot);
  choice.html = type == 2 || lstrcmpiW(extension.c_str(), L".html") == 0 || lstrcmpiW(extension.c_str(), L".htm") == 0;
  return choice;
}

void StartRegistryEditor() {
  // A new window even when the editor runs already: it opens at the last
  // key, which a running one would not go to.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = L"regedit.exe";
  info.lpParameters = L"/m";
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    const DWORD error = GetLastError();
    throw QlmError(static_cast<std::int32_t>(error), L"FMain.OpenInRegistryEditor",
                   L"The registry editor could not be started (error " + std::to_wstring(error) + L")");
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
  shell.chooseSaveFile = &ChooseSaveFile;
  shell.startRegistryEditor = &StartRegistryEditor;
  return shell;
}
