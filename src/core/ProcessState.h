#pragma once
// Process-wide state, set up by start-up and read everywhere else.
#include <string>

class CErrorLog;
class FileResolver;

namespace core {

// The logger every record goes through; null until start-up opened it (or
// when the common library is missing). Start-up owns it.
extern CErrorLog* gLog;
// The per-user data folder ("...\AppData\Roaming\Quillmoor"), no trailing
// separator. Holds the logs and the Backup folder.
extern std::wstring gDataFolder;
// The system is of the NT family / is NT 4.
extern bool gIsNT;
extern bool gIsNT4;
// The file checker all discovery routines share (its cache lives for the
// run); null until start-up made it.
extern FileResolver* gFileChecker;

}  // namespace core
