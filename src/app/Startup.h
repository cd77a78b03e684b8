#pragma once
// Start-up: the process entry and its fixed order.
#include <functional>
#include <string>

#include "app/PrivilegeRules.h"
#include "core/DataFolder.h"

namespace Startup {

// Exit codes of the process.
constexpr int kExitNormal = 0;   // the main window closed, or an elevated copy was asked for
constexpr int kExitRefused = 1;  // a component is missing, or the user lacks the rights

// What start-up has found out by the time it makes the process objects.
struct ProcessSetup {
  core::DataFolder data;
  // Short 8.3 file names are turned into long ones (not on NT 4).
  bool longFileNames = true;
};

// The pieces start-up hands over to. RealStartupParts() gives the
// program's own; tests put in their own to watch the sequence.
struct StartupParts {
  std::wstring programFolder;  // where ozCore.dll and QLMCustom.dll are loaded from
  // The folder the data folder goes into, ending with a separator: the
  // user's application data folder.
  std::function<std::wstring()> dataFolderParent;
  std::function<Elevation::PrivilegeDecision()> checkPrivileges;
  std::function<void(const std::wstring&)> showComponentMessage;
  std::function<void()> showSplash;
  std::function<bool()> splashVisible;
  std::function<void()> dropSplash;
  // The file resolver and the main window object.
  std::function<void(const ProcessSetup&)> createProcessObjects;
  std::function<void()> showMainWindow;        // returns when the main window has closed
  std::function<void()> releaseProcessObjects;
};

StartupParts RealStartupParts();

// The start-up sequence, step by step: a failing step is logged once
// ("MQLM.Main"; nothing is written while no log is open) and the sequence
// goes on without what it would have done. Returns the exit code.
int RunStartup(const StartupParts& parts);

// The process entry: initialises COM, the common controls and the
// delay-load guard, then runs the start-up sequence with parts (the
// program's own: RealStartupParts()).
int Main(const StartupParts& parts);

}  // namespace Startup
