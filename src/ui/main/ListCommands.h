#pragma once
// The commands that work on the lists as a whole or on a row's registry
// key: Save List and Open in Registry Editor.
class CommandHost;

namespace ListCommands {

// Asks where to save, then writes every table's shown rows (all rows, or
// the filter's) as CSV (qmscan's columns and cell rules) or as an HTML
// report. A file that could not be written is said; failures are raised
// for the command's edge to log ("FMain.SaveList").
void SaveList(CommandHost& host);

// Points the registry editor's last key at the selected add-on's key (the
// current user's "LastKey"), then starts it. Logged at level 5; failures
// are said and raised for the command's edge to log
// ("FMain.OpenInRegistryEditor"). A key name holding a NUL, which the
// editor would read as another key, is refused, said and logged. While an
// offline system is shown, says the editor shows this computer's registry.
void OpenInRegistryEditor(CommandHost& host);

}  // namespace ListCommands
