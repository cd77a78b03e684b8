#pragma once
// What the commands need of the window they run in: the table that is
// showing, the tables' refresh, the system they list, the busy pointer,
// the exit flag, the shell requests and the data folder. The main window is the one host; tests
// drive the commands through a host of their own.
#include <windows.h>

#include <vector>

#include "core/DataFolder.h"
#include "ui/main/MainShell.h"

class ITableControl;
class ListedSystem;
class TableControlBase;

class CommandHost {
 public:
  virtual ~CommandHost() = default;

  // The window that owns the commands' dialogs.
  virtual HWND OwnerWindow() const = 0;
  // The table that is showing; null when none is.
  virtual ITableControl* ShownTable() = 0;
  // Lists every kind afresh (an offline system is read again).
  virtual void RefreshTables() = 0;
  // The system the tables list: this computer or an offline one.
  virtual ListedSystem& System() = 0;
  // The tables now list another system: they list it, and the caption and
  // the status bar say which.
  virtual void SystemChanged() = 0;
  // Every kind's table, in kind order (what Save List writes).
  virtual std::vector<TableControlBase*> Lists() = 0;
  // A backup file was written (its full path).
  virtual void BackupWritten(const std::wstring& path) = 0;
  // While busy, the window shows the hourglass pointer.
  virtual void SetBusy(bool busy) = 0;
  // Ends the program's message loop once the command returns.
  virtual void RequestExit() = 0;
  virtual MainShell& Shell() = 0;
  virtual const core::DataFolder& Data() const = 0;
};

// The hourglass for as long as it lives.
class BusyPointer {
 public:
  explicit BusyPointer(CommandHost& host) : host_(host) { host_.SetBusy(true); }
  ~BusyPointer() { host_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  CommandHost& host_;
};
