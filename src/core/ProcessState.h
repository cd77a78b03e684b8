#pragma once
// The one piece of process-wide state: the logger every record goes
// through. Start-up opens it (or takes the custom component's) and owns it.
class CErrorLog;

namespace core {

// Null until start-up opened it, and when the common library is missing.
extern CErrorLog* gLog;

}  // namespace core
