#pragma once
// Shared by the table and pane tests: fixture add-ons in the browser's real
// keys, snapshots of the areas a deletion may touch, an empty registry, a
// thread that answers the program's dialogs, the log, and a table in a
// window over a details pane.
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "discovery/AddonKinds.h"
#include "support/RegFixture.h"
#include "discovery/FileResolver.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"

class TableControlBase;
class DetailsPane;

namespace tabletest {

// The kinds' locations, as the table of kinds has them.
inline const std::wstring kToolbarList = discovery::Kind(TableId::kToolbars).machinePath;
inline const std::wstring kUserToolbarList = std::wstring(L".Default\\") + discovery::Kind(TableId::kToolbars).userPath;
inline const std::wstring kButtons = discovery::Kind(TableId::kButtons).machinePath;
inline const std::wstring kMenuExt = discovery::Kind(TableId::kMenuExtensions).machinePath;
inline const std::wstring kBhos = discovery::Kind(TableId::kHelperObjects).machinePath;
inline const std::wstring kClasses = L"Software\\Classes\\CLSID\\";
inline const std::wstring kVerticalBars = discovery::Kind(TableId::kExplorerBars).categories[0];
inline const std::wstring kHorizontalBars = discovery::Kind(TableId::kExplorerBars).categories[1];
inline const std::wstring kCompany = L"Fixture Makers Ltd";
// A fixture file with a maker (kCompany) and versions.
std::wstring CompanyFile();

// Add-ons where the browser reads them, removed at the end. An empty file
// makes an add-on without a known file. Each returns the record's ID.
class Addons {
 public:
  std::wstring Toolbar(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file);
  std::wstring Button(HKEY root, const std::wstring& list, const std::wstring& button, const std::wstring& menu,
                      const std::wstring& file);
  std::wstring MenuExt(HKEY root, const std::wstring& list, const std::wstring& name, const std::wstring& file);
  std::wstring ExplorerBar(const std::wstring& name, const std::wstring& file, const std::vector<std::wstring>& cats);
  std::wstring Bho(const std::wstring& name, const std::wstring& file);
  const std::vector<std::wstring>& Classes() const { return classes_; }
  qlmtest::RegFixture& Reg() { return reg_; }

 private:
  void Class(const std::wstring& clsid, const std::wstring& name, const std::wstring& file);
  qlmtest::RegFixture reg_;
  std::vector<std::wstring> classes_;
};

// Key path -> value lines of the machine's and every user's browser keys,
// the helper objects and the given classes.
using Snapshot = std::map<std::wstring, std::vector<std::wstring>>;
Snapshot TakeSnapshot(const std::vector<std::wstring>& classes);
Snapshot WithoutKey(Snapshot snapshot, const std::wstring& keyPath);  // and all below it
Snapshot WithoutValue(Snapshot snapshot, const std::wstring& keyPath, const std::wstring& valueName);

// While alive the machine and user roots point at an empty key, so
// discovery finds nothing (the class root stays for COM; the prefix
// registers no explorer bar of its own).
class EmptyRegistry {
 public:
  EmptyRegistry();
  ~EmptyRegistry();

 private:
  qlmtest::ScratchKey scratch_{HKEY_CURRENT_USER, L"EmptyRegistry"};
};

// Answers this process's dialogs in order with the given buttons; one
// beyond the list is cancelled and still reported.
struct SeenDialog {
  std::wstring title, texts;
  std::vector<std::wstring> buttons;
};
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::vector<std::wstring> presses);
  ~DialogAnswerer() { Finish(); }
  std::vector<SeenDialog> Finish();

 private:
  std::vector<std::wstring> presses_;
  std::vector<SeenDialog> seen_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Log records written while alive, without time stamps
// ("L5  #0  ToolbarTable.RefreshList  text").
class LogCapture {
 public:
  std::vector<std::wstring> Records() const;

 private:
  qlmtest::TempFolder folder_;
  qlmtest::ScopedLog log_{folder_.Path()};
};

// The one top-level window of the test program (closing top-level windows
// is slow under the test display); it owns the program's messages.
HWND SharedHost();
void Pump();

// A table of one kind over a details pane; its row menu goes to a seam.
class TableRig {
 public:
  explicit TableRig(std::int32_t id, int tableHeight = 300);
  ~TableRig();
  TableControlBase& table() { return *table_; }
  DetailsPane& details() { return *details_; }
  HWND list() const;
  int Rows() const;
  std::wstring Text(int row, int column = 0) const;
  int RowOf(const std::wstring& recordId) const;
  std::vector<int> SelectedRows() const;
  void Select(int row);  // as the user would
  std::vector<std::wstring> Details();  // "name=value"
  std::vector<bool> menus;              // per menu shown: from the keyboard?
  std::vector<POINT> menuPoints;

 private:
  // The rig's listings share one resolver, as the program's do.
  FileResolver files_{true};
  std::unique_ptr<DetailsPane> details_;
  std::unique_ptr<TableControlBase> table_;
};

}  // namespace tabletest
