#pragma once
// The program's log: the one logger every record goes through, the only
// piece of process-wide state. Start-up opens it (or takes the custom
// component's) and owns it.
class CErrorLog;

namespace core {

// Null until start-up opened it, and when the common library is missing.
extern CErrorLog* gLog;

}  // namespace core
