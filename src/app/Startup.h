#pragma once
// Start-up: the process entry and its fixed order.
#include <functional>
#include <string>

#include "app/PrivilegeRules.h"

namespace Startup {

// Exit codes of the process.
constexpr int kExitNormal = 0;   // the main window closed, or an elevated copy was asked for
constexpr int kExitRefused = 1;  // a component is missing, or the user lacks the rights

// The pieces start-up hands over to. RealStartupParts() gives the
// program's own; tests put in their own to watch the sequence.
struct StartupParts {
  std::wstring programFolder;  // where ozCore.dll and QLMCustom.dll are loaded from
  std::function<Elevation::PrivilegeDecision()> checkPrivileges;
  std::function<void(const std::wstring&)> showComponentMessage;
  std::function<void()> showSplash;
  std::function<bool()> splashVisible;
  std::function<void()> dropSplash;
  std::function<void()> createProcessObjects;  // the file checker and the main window object
  std::function<void()> showMainWindow;        // returns when the main window has closed
  std::function<void()> releaseProcessObjects;
};

StartupParts RealStartupParts();

// The start-up sequence under the resume-next policy: a failing step is
// skipped; an error still pending once the process objects exist is
// logged once. Returns the exit code.
int RunStartup(const StartupParts& parts);

// The process entry: initialises COM and the delay-load guard, then runs
// the start-up sequence with the real parts. The command line is not read.
int Main();

// The per-user data folder's parent: the application data folder, ending
// with a separator. Tests may redirect it with the environment variable
// QLM_TEST_APPDATA so that they never touch the user's real data.
std::wstring DataFolderParent();

// The program's own version numbers, from its version resource (file
// version: major, minor and the third number as the revision).
bool ProgramVersion(int& major, int& minor, int& revision);

}  // namespace Startup
