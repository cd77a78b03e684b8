#pragma once
// What the table and pane tests share: fixture add-ons in the browser's
// real add-on keys, a window that owns the program's messages, a thread
// that answers the confirmation and outcome dialogs, the log records
// written meanwhile, and snapshots of the registry areas a deletion may
// touch.
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "discovery/RegFixture.h"
#include "ozcore/CErrorLog.h"
#include "support/TestSupport.h"

class TableControlBase;
class FProperties;

namespace tabletest {

inline const std::wstring kIe = L"Software\\Microsoft\\Internet Explorer";
inline const std::wstring kToolbarList = kIe + L"\\Toolbar";
inline const std::wstring kUserToolbarList = L".Default\\" + kIe + L"\\Toolbar\\WebBrowser";
inline const std::wstring kButtons = kIe + L"\\Extensions";
inline const std::wstring kMenuExt = kIe + L"\\MenuExt";
inline const std::wstring kBhos = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline const std::wstring kClasses = L"Software\\Classes\\CLSID\\";
inline const std::wstring kVerticalBars = L"{00021493-0000-0000-C000-000000000046}";
inline const std::wstring kHorizontalBars = L"{00021494-0000-0000-C000-000000000046}";

// Add-ons written where the browser reads them, removed again at the end.
class Addons {
 public:
  // An empty file makes an add-on without a known file.
  std::wstring Toolbar(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file);
  std::wstring Button(HKEY root, const std::wstring& list, const std::wstring& button, const std::wstring& menu,
                      const std::wstring& file);
  std::wstring MenuExt(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file);
  std::wstring ExplorerBar(const std::wstring& name, const std::wstring& file, const std::vector<std::wstring>& cats);
  std::wstring Bho(const std::wstring& name, const std::wstring& file);
  // The classes made, for snapshots.
  const std::vector<std::wstring>& Classes() const { return classes_; }
  qlmtest::RegFixture& Reg() { return reg_; }

 private:
  void Class(const std::wstring& clsid, const std::wstring& name, const std::wstring& file);
  qlmtest::RegFixture reg_;
  std::vector<std::wstring> classes_;
};

// The company fixture file (a maker and versions) and its maker.
std::wstring CompanyFile();
inline const std::wstring kCompany = L"Fixture Makers Ltd";

// Every key line of the add-on areas with the lines of its values: the
// machine's and every user's browser keys, the helper objects and the
// given classes.
using Snapshot = std::map<std::wstring, std::vector<std::wstring>>;
Snapshot TakeSnapshot(const std::vector<std::wstring>& classes);
// The snapshot without a key (and everything below it) / one value.
Snapshot WithoutKey(Snapshot snapshot, const std::wstring& keyPath);
Snapshot WithoutValue(Snapshot snapshot, const std::wstring& keyPath, const std::wstring& valueName);

// Points the machine and user roots at an empty scratch key while alive:
// discovery then finds nothing (the class root stays, so COM still works;
// the prefix itself registers no explorer bar).
class EmptyRegistry {
 public:
  EmptyRegistry();
  ~EmptyRegistry();
  EmptyRegistry(const EmptyRegistry&) = delete;
  EmptyRegistry& operator=(const EmptyRegistry&) = delete;

 private:
  qlmtest::ScratchKey scratch_;
};

// Answers the dialogs this process shows, in order, by pressing the button
// with each caption; a dialog beyond the list is cancelled and noted.
struct SeenDialog {
  std::wstring title;
  std::wstring texts;
  std::vector<std::wstring> buttons;
  std::wstring pressed;
};
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::vector<std::wstring> presses);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;
  // Stops watching and gives what was seen.
  std::vector<SeenDialog> Finish();

 private:
  std::vector<std::wstring> presses_;
  std::vector<SeenDialog> seen_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Log records written while alive, without their time stamps
// ("L5  #0  ucTB.RefreshList  text").
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  std::vector<std::wstring> Records() const;

 private:
  qlmtest::TempFolder folder_;
  CErrorLog log_;
};

// The top-level window the tests put their windows in, for the whole
// program; it owns the program's messages.
HWND SharedHost();

// A table of one kind in a top-level window with a details pane under it;
// the window owns the messages and the context menu goes to a seam.
std::unique_ptr<TableControlBase> MakeTable(std::int32_t id);
class TableRig {
 public:
  explicit TableRig(std::int32_t id, int tableHeight = 300);
  ~TableRig();
  TableControlBase& table() { return *table_; }
  FProperties& details() { return *details_; }
  HWND list() const;
  int Rows() const;
  std::wstring Text(int row, int column = 0) const;
  int RowOf(const std::wstring& recordId) const;
  std::vector<int> SelectedRows() const;
  // As the user would: selects (and focuses) the row.
  void Select(int row);
  // The details pane's rows as "name=value".
  std::vector<std::wstring> Details();
  std::vector<bool> menus;  // one per context menu shown: true from the keyboard
  std::vector<POINT> menuPoints;

 private:
  HWND host_ = nullptr;
  std::unique_ptr<FProperties> details_;
  std::unique_ptr<TableControlBase> table_;
};

// Runs this thread's waiting messages.
void Pump();
// The window's own text.
std::wstring WindowText(HWND hwnd);

}  // namespace tabletest
