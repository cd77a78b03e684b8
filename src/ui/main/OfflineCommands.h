#pragma once
// The commands that change which system the lists show: File > Open
// Offline System... and File > Back to This Computer.
class CommandHost;

namespace OfflineCommands {

// Asks for the folder of a Windows system's drive C: (a disk from another
// computer, a mounted image), then lists that system's add-ons, read
// only. A folder that cannot be read, or that holds no system whose
// registry can be read, is said and the lists stay as they were. What the
// system's hives were like (not closed cleanly, logs applied, missing) is
// said once. Failures are raised for the command's edge to log
// ("FMain.OpenOfflineSystem").
void OpenOfflineSystem(CommandHost& host);

// Lists this computer's add-ons again; nothing when they are shown.
void BackToThisComputer(CommandHost& host);

}  // namespace OfflineCommands
