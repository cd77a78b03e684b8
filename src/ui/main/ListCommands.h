#pragma once
// The commands that work on the lists as a whole or on a row's registry
// key: Save List and Open in Registry Editor.
class CommandHost;

namespace ListCommands {

// Asks where to save, then writes every table's shown rows (all rows, or
// the filter's) as CSV (qmscan's columns and cell rules) or as an HTML
// report. Errors are logged ("FMain.SaveList"); a file that could not be
// written is said.
void SaveList(CommandHost& host) noexcept;

// Points the registry editor's last key at the selected add-on's key (the
// current user's "LastKey"), then starts it. Logged at level 5; errors are
// logged ("FMain.OpenInRegistryEditor") and said. A key name holding a NUL,
// which the editor would read as another key, is refused, said and logged.
void OpenInRegistryEditor(CommandHost& host) noexcept;

}  // namespace ListCommands
