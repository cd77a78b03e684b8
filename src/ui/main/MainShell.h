#pragma once
// What the main window asks of the Windows shell: open a web address in
// the user's browser, open a folder in the file manager, show a file's
// properties. Kept behind one small seam so that tests can watch the
// requests without a browser or a file manager opening.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

// The file the user chose in a Save dialog and the form to write it in.
struct SaveChoice {
  std::wstring path;
  bool html = false;  // an HTML report, else CSV
};

struct MainShell {
  // Each raises an error (QlmError) when the shell refuses the request.
  std::function<void(const std::wstring& address)> openAddress;
  std::function<void(const std::wstring& folder, HWND owner)> openFolder;
  std::function<void(const std::wstring& file, HWND owner)> showFileProperties;
  // The standard Save dialog offering CSV and HTML; nothing when the user
  // cancelled.
  std::function<std::optional<SaveChoice>(const std::wstring& suggestedName, HWND owner)> chooseSaveFile;
  // Starts the system's registry editor (which opens at its last key).
  std::function<void()> startRegistryEditor;

  // The real shell.
  static MainShell System();
};
