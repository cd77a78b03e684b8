#pragma once
// The program binds ozCore.dll on first use, from its own folder only
// (dllsearch::RestrictDllSearch). Without help, a DLL that is missing or
// lacks an entry point makes that first call raise a system exception that
// ends the process. The guard turns it into a QlmError raised at the call,
// which start-up's steps and the other edges log like any other failure.
namespace Startup {

// Install once, before the first call into a delay-loaded DLL.
void InstallDelayLoadGuard();

}  // namespace Startup
