#pragma once
// Where the program keeps what it writes for the user: the per-user data
// folder ("...\AppData\Roaming\Quillmoor", no trailing separator) with the
// logs and the Backup folder. Start-up finds it and hands it to the parts
// that write there.
#include <string>

namespace core {

struct DataFolder {
  std::wstring path;
  // Text files are written as UTF-16 (the NT family), else in the ANSI
  // code page.
  bool unicodeFiles = true;

  // The folder the backups go into, no trailing separator.
  std::wstring BackupFolder() const { return path + L"\\Backup"; }
};

}  // namespace core
