#include "ui/main/MainShell.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "core/Messages.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "engine/files/FileProperties.h"
#include "ozcore/SystemFolders.h"
#include "ui/main/DesktopShell.h"

namespace {

// Opens an address or a folder as the signed-in user: from this process
// only while it is not elevated, else through the desktop's shell, else not
// at all, and the user is told so.
void OpenAsUser(const ShellRoutes& routes, const std::wstring& target, HWND owner, const wchar_t* source) {
  if (!routes.elevated) {
    if (const DWORD error = routes.openHere(target, std::wstring(), owner)) {
      throw QlmError(static_cast<std::int32_t>(error), source,
                     L"The shell could not open \"" + target + L"\" (error " + std::to_wstring(error) + L")");
    }
    return;
  }
  if (routes.openAsDesktopUser(target)) return;
  core::ShowMessage(LoadStr(IDS_SHELL_NOT_AS_USER), core::kButtonOK, std::wstring());
  throw QlmError(-1, source, L"The desktop could not be asked to open \"" + target + L"\"");
}

DWORD OpenHere(const std::wstring& file, const std::wstring& parameters, HWND owner) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? 0 : GetLastError();
}

// Shows a file dialog; the file-system path chosen, nothing when the user
// cancelled. A choice without a path is raised under source as noPath.
std::optional<std::wstring> ShowAndTakePath(IFileDialog& dialog, HWND owner, const wchar_t* source,
                                            const wchar_t* noPath) {
  if (FAILED(dialog.Show(owner))) return std::nullopt;  // cancelled
  Microsoft::WRL::ComPtr<IShellItem> item;
  PWSTR path = nullptr;
  if (FAILED(dialog.GetResult(&item)) || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
    throw QlmError(-1, source, noPath);
  std::wstring chosen = path;
  CoTaskMemFree(path);
  return chosen;
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
  const std::optional<std::wstring> chosen =
      ShowAndTakePath(*dialog.Get(), owner, L"FMain.SaveList", L"The Save dialog gave no file");
  if (!chosen) return std::nullopt;
  SaveChoice choice;
  choice.path = *chosen;
  UINT type = 1;
  dialog->GetFileTypeIndex(&type);
  const std::size_t dot = choice.path.find_last_of(L'.');
  const std::wstring extension = dot == std::wstring::npos ? L"" : choice.path.substr(dot);
  choice.html = type == 2 || lstrcmpiW(extension.c_str(), L".html") == 0 || lstrcmpiW(extension.c_str(), L".htm") == 0;
  return choice;
}

constexpr CLSID kFileOpenDialog = {0xDC1C5A9C, 0xE88A, 0x4DDE, {0xA5, 0xA1, 0x60, 0xF8, 0x2A, 0x20, 0xAE, 0xF7}};

// The platform's folder picker: folders of the file system only.
std::optional<std::wstring> ChooseFolder(const std::wstring& title, HWND owner) {
  Microsoft::WRL::ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(kFileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
    throw QlmError(-1, L"FMain.OpenOfflineSystem", L"The folder dialog could not be created");
  dialog->SetTitle(title.c_str());
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  return ShowAndTakePath(*dialog.Get(), owner, L"FMain.OpenOfflineSystem", L"The folder dialog gave no folder");
}

// A new window even when the editor runs already: it opens at the last key,
// which a running one would not go to. By its full path: a regedit.exe in
// the current folder or on PATH is not the system's.
void StartRegistryEditor(const ShellRoutes& routes) {
  const std::wstring editor = systemfolders::Windows() + L"\\regedit.exe";
  if (const DWORD error = routes.openHere(editor, L"/m", nullptr)) {
    throw QlmError(static_cast<std::int32_t>(error), L"FMain.OpenInRegistryEditor",
                   L"The registry editor could not be started (error " + std::to_wstring(error) + L")");
  }
}

}  // namespace

ShellRoutes ShellRoutes::System() {
  ShellRoutes routes;
  routes.elevated = desktopshell::ProcessIsElevated();
  routes.openAsDesktopUser = &desktopshell::OpenAsDesktopUser;
  routes.openHere = &OpenHere;
  return routes;
}

MainShell MainShell::System() { return Over(ShellRoutes::System()); }

MainShell MainShell::Over(ShellRoutes routes) {
  MainShell shell;
  shell.openAddress = [routes](const std::wstring& address) {
    OpenAsUser(routes, address, nullptr, L"FMain.SearchGoogle");
  };
  shell.openFolder = [routes](const std::wstring& folder, HWND owner) {
    OpenAsUser(routes, folder, owner, L"FMain.MenuRestore");
  };
  // The properties sheet runs inside this process: no program is started.
  shell.showFileProperties = [](const std::wstring& file, HWND owner) {
    if (!FileProperties::ShowFileProperties(file, owner))
      throw QlmError(-1, L"FMain.ShowFiledetails", L"The shell could not show the properties of \"" + file + L"\"");
  };
  shell.chooseSaveFile = &ChooseSaveFile;
  shell.chooseFolder = &ChooseFolder;
  // The editor needs the rights this process has, and reads this process's
  // user's last key: started from here.
  shell.startRegistryEditor = [routes] { StartRegistryEditor(routes); };
  return shell;
}
