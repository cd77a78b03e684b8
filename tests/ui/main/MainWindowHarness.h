#pragma once
// What the main window's tests share: what start-up would hand the window
// (a data folder with its logs in a temp folder, a file resolver), a
// toolbar add-on of our own in the registry, and a helper that answers the
// dialogs the window's commands show.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/WindowProbe.h"
#include "support/RegFixture.h"
#include "core/DataFolder.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"
#include "ui/main/MainWindow.h"

class FileResolver;

namespace mainwindowtest {

// COM, the logger, a data folder and a file resolver for one test; undone
// after. A main window is made with MainWindow main(state.Files(),
// state.Data()).
class ProgramState {
 public:
  ProgramState();
  ~ProgramState();
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;

  const std::wstring& DataFolder() const { return data_.path; }
  const core::DataFolder& Data() const { return data_; }
  FileResolver& Files() { return *files_; }
  // The records of the full log so far ("L<level>  #<number>  <context>  <text>").
  std::vector<std::wstring> LogRecords() const;
  std::vector<std::wstring> BackupFiles() const;

 private:
  struct Com {
    Com();
    ~Com();
  } com_;
  qlmtest::TempFolder temp_;
  core::DataFolder data_;
  std::unique_ptr<qlmtest::ScopedLog> log_;
  std::unique_ptr<FileResolver> files_;
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
  void RemoveFile() const { DeleteFileW(file_.c_str()); }

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

using qlmtest::Pump;

// The main window open over two toolbars of the test's own, the zebra's
// row selected in the list showing; the shell's requests are noted.
class WindowOverToolbars : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs a command; the dialogs it shows are answered in turn.
  std::vector<qlmtest::Dialog> Run(int command, std::vector<std::wstring> presses = {});

  const std::wstring pid_ = std::to_wstring(GetCurrentProcessId());
  ProgramState state_;
  FixtureToolbar zebra_{L"Qlm Zebra " + pid_};
  FixtureToolbar aardvark_{L"Qlm Aardvark " + pid_};
  MainWindow main_{state_.Files(), state_.Data()};
  HWND list_ = nullptr;
  std::vector<std::wstring> addresses_, properties_, folders_;
};

}  // namespace mainwindowtest
