#pragma once
// What the main window asks of the Windows shell: open a web address in
// the user's browser, open a folder in the file manager, show a file's
// properties. Kept behind one small seam so that tests can watch the
// requests without a browser or a file manager opening.
//
// The program runs elevated; a browser or a file manager it started itself
// would run elevated too, with whatever the page or the folder then starts.
// Addresses and folders are therefore opened by the desktop's own shell,
// which runs as the signed-in user, and not at all when it cannot be
// asked.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The file the user chose in a Save dialog and the form to write it in.
struct SaveChoice {
  std::wstring path;
  bool html = false;  // an HTML report, else CSV
};

// The two ways a request reaches the system, apart from the requests so
// that tests see which way each one goes and what it starts.
struct ShellRoutes {
  // This process is elevated: what it starts itself runs elevated too.
  bool elevated = false;
  // Asks the desktop's shell, running as the signed-in user, to open
  // target. False when the desktop could not be asked.
  std::function<bool(const std::wstring& target)> openAsDesktopUser;
  // Opens file with parameters from this process: 0, or the system's error.
  std::function<DWORD(const std::wstring& file, const std::wstring& parameters, HWND owner)> openHere;

  static ShellRoutes System();
};

struct MainShell {
  // Each raises an error (QlmError) when the shell refuses the request.
  std::function<void(const std::wstring& address)> openAddress;
  std::function<void(const std::wstring& folder, HWND owner)> openFolder;
  std::function<void(const std::wstring& file, HWND owner)> showFileProperties;
  // The standard Save dialog offering CSV and HTML; nothing when the user
  // cancelled.
  std::function<std::optional<SaveChoice>(const std::wstring& suggestedName, HWND owner)> chooseSaveFile;
  // The system's folder picker, titled title; nothing when the user
  // cancelled.
  std::function<std::optional<std::wstring>(const std::wstring& title, HWND owner)> chooseFolder;
  // Starts the system's registry editor (which opens at its last key), by
  // its full path in the Windows folder.
  std::function<void()> startRegistryEditor;

  // The real shell.
  static MainShell System();
  // The requests over the given routes.
  static MainShell Over(ShellRoutes routes);
};
