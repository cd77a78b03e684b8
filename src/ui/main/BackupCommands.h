#pragma once
// The main window's Backup and Restore commands.
class CommandHost;

namespace BackupCommands {

// Writes a new backup file now, with the hourglass while it runs, and says
// whether it was written. Failures are raised for the command's edge to log
// ("FMain.MenuBackup"); the pointer is the normal one again on every way
// out.
void WriteBackup(CommandHost& host);

// Tells the user how to restore, then opens the backup folder in the file
// manager. Failures are raised for the command's edge to log
// ("FMain.MenuRestore").
void OpenBackupsToRestore(CommandHost& host);

}  // namespace BackupCommands
