#pragma once
// What the main window's tests share: the process state start-up would
// make (data folder and logs in a temp folder, the file checker), a
// toolbar add-on of our own in the registry, and a helper that answers the
// dialogs the window's commands show.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowProbe.h"
#include "discovery/RegFixture.h"
#include "support/TestSupport.h"

class CErrorLog;
class FileResolver;
class MainWindow;

namespace fmaintest {

// COM, gDataFolder, gLog and gFileChecker for one test; undone after.
class ProcessState {
 public:
  ProcessState();
  ~ProcessState();
  ProcessState(const ProcessState&) = delete;
  ProcessState& operator=(const ProcessState&) = delete;

  const std::wstring& DataFolder() const { return data_; }
  // The records of the full log so far ("L<level>  #<number>  <context>  <text>").
  std::vector<std::wstring> LogRecords() const;
  std::vector<std::wstring> BackupFiles() const;

 private:
  qlmtest::TempFolder temp_;
  std::wstring data_;
  std::unique_ptr<CErrorLog> log_;
  std::unique_ptr<FileResolver> checker_;
};

// A machine-wide toolbar with a fresh class id, its file a copy of a
// fixture DLL in a folder of the test's own; removed after.
class FixtureToolbar {
 public:
  explicit FixtureToolbar(const std::wstring& name);
  const std::wstring& Clsid() const { return clsid_; }
  const std::wstring& File() const { return file_; }
  const std::wstring& Name() const { return name_; }
  // The machine's toolbar entry is still there.
  bool Registered() const;
  void RemoveFile() const;

 private:
  qlmtest::TempFolder folder_;
  qlmtest::RegFixture reg_;
  std::wstring clsid_, file_, name_;
};

// The list view of the table that is showing.
HWND CurrentList(MainWindow& main);
std::vector<std::wstring> ListTexts(HWND list);
// Selects the row with that text as a click would; false when absent.
bool SelectRow(HWND list, const std::wstring& text);

// Lets pending window events run.
void Pump();

}  // namespace fmaintest
