#pragma once
// The main window's Backup and Restore commands.
class CommandHost;

namespace BackupCommands {

// Writes a new backup file now, with the hourglass while it runs, and says
// whether it was written. Errors are logged ("FMain.MenuBackup"); the
// pointer is the normal one again on every way out.
void MenuBackup(CommandHost& host) noexcept;

// Tells the user how to restore, then opens the backup folder in the file
// manager. Errors are logged ("FMain.MenuRestore").
void MenuRestore(CommandHost& host) noexcept;

}  // namespace BackupCommands
