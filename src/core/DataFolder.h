#pragma once
// Where the program keeps what it writes for the user: the per-user data
// folder ("...\AppData\Roaming\Quillmoor", no trailing separator) with the
// logs and the Backup folder, and its registry key. Start-up finds it and
// hands it to the parts that write there.
#include <string>

namespace core {

struct DataFolder {
  std::wstring path;
  // Text files are written as UTF-16 (the NT family), else in the ANSI
  // code page.
  bool unicodeFiles = true;
  // The program runs as an administrator: the data folder and its Backup
  // folder are given to the administrators and what is written there is
  // recorded (core/DataFiles.h). Start-up sets it.
  bool elevated = false;

  // Where the main window remembers its size, place and pane sizes, under
  // HKEY_CURRENT_USER; empty: nothing is remembered.
  std::wstring settingsKey = L"Software\\Quillmoor";

  // The folder the backups go into, no trailing separator.
  std::wstring BackupFolder() const { return path + L"\\Backup"; }
};

}  // namespace core
