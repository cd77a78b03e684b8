// The commands through a host of the test's own, no main window: what each
// command asks of its host, and that a command never lets an error out.
// Turn Off and Turn On reach the table: MainWindowCommands.TurnOffAndOn...
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/QlmError.h"
#include "support/LogLines.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"
#include "ui/main/CommandDispatch.h"
#include "ui/main/CommandHost.h"
#include "ui/main/CommandTable.h"
#include "ui/main/MainShell.h"
#include "engine/files/FileResolver.h"
#include "ui/tables/ITableControl.h"
#include "ui/tables/ListedSystem.h"

using namespace qlmtest;

namespace {

// A table that only answers the commands' questions about its selection.
class SelectionOnlyTable final : public ITableControl {
 public:
  std::wstring file, fileError, name;
  int removals = 0;

  void Finalize() override {}
  std::int32_t ID() const override { return TableId::kToolbars; }
  void Init(DetailsSink, PopupMenu*) override {}
  void RefreshList() override {}
  void Remove() override {
    ++removals;
    throw QlmError(5, L"ucTB", L"Invalid procedure call or argument");
  }
  void ChangeState(bool, const core::DataFolder&) override {}
  std::wstring CurrentFullFileName() override { return file; }
  std::wstring CurrentFullFileNameError() override { return fileError; }
  std::wstring CurrentObjectName() override { return name; }
  bool TableIsEmpty() const override { return false; }
  bool ShowDetails() override { return true; }
  EntryKey SelectedEntryKey() override { return {}; }
  HWND Hwnd() const override { return nullptr; }
};

// Notes every request the commands make of it.
class RecordingHost final : public CommandHost {
 public:
  RecordingHost() {
    shell_.openAddress = [this](const std::wstring& address) { calls.push_back(L"open " + address); };
    shell_.openFolder = [this](const std::wstring& folder, HWND) { calls.push_back(L"folder " + folder); };
    shell_.showFileProperties = [this](const std::wstring& file, HWND) { calls.push_back(L"properties " + file); };
  }

  ITableControl* shown = nullptr;
  std::vector<std::wstring> calls;

  HWND OwnerWindow() const override { return nullptr; }
  ITableControl* ShownTable() override { return shown; }
  void RefreshTables() override { calls.push_back(L"refresh"); }
  std::vector<TableControlBase*> Lists() override { return {}; }
  void BackupWritten(const std::wstring& path) override { calls.push_back(L"backup " + path); }
  void SetBusy(bool busy) override { calls.push_back(busy ? L"busy" : L"idle"); }
  void RequestExit() override { calls.push_back(L"exit"); }
  MainShell& Shell() override { return shell_; }
  const core::DataFolder& Data() const override { return data_; }
  ListedSystem& System() override { return system_; }
  void SystemChanged() override { calls.push_back(L"system changed"); }

 private:
  MainShell shell_;
  FileResolver files_{true};
  ListedSystem system_{files_};
  core::DataFolder data_{L"C:\\data\\Quillmoor", true};
};

}  // namespace

TEST(CommandDispatch, EachCommandAsksItsHostForWhatItNeedsAndNoErrorEscapes) {
  TempFolder tmp;
  const std::wstring existing = tmp.File(L"addon.dll");
  WriteBytes(existing, "MZ");
  RecordingHost host;
  CommandDispatch dispatch(host);
  {
    ScopedLog log(tmp.Path());
    // No table showing: the table commands fail in the dispatch's name, and
    // the host-wide ones still work.
    dispatch.Run(Commands::kDelete);
    dispatch.Run(Commands::kRowGoogleFileName);
    dispatch.Run(Commands::kRefresh);
    dispatch.Run(Commands::kQuickRefresh);
    dispatch.Run(Commands::kExit);

    SelectionOnlyTable table;
    table.file = existing;
    table.name = L"Bar & Co";
    host.shown = &table;
    dispatch.Run(Commands::kFileProperties);
    for (int id : {Commands::kGoogleFileName, Commands::kRowGoogleFileName, Commands::kGoogleAddonName,
                   Commands::kRowGoogleAddonName})
      dispatch.Run(id);
    // A shell that refuses: one record, nothing raised.
    host.Shell().openAddress = [](const std::wstring&) { throw QlmError(31, L"shell", L"no browser"); };
    dispatch.Run(Commands::kGoogleAddonName);
    // An error out of the table's own action is logged, not raised.
    dispatch.Run(Commands::kRowDelete);
    EXPECT_EQ(table.removals, 1);
    // Unknown ids do nothing.
    dispatch.Run(0);
    dispatch.Run(99999);
  }
  const std::wstring byFile = L"open https://www.google.com/search?hl=en&q=addon.dll";
  const std::wstring byName = L"open https://www.google.com/search?hl=en&q=Bar%20%26%20Co";
  EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"refresh", L"refresh", L"exit", L"properties " + existing, byFile,
                                                   byFile, byName, byName}));
  const auto log = LogLines(tmp.File(L"QLM.log"));
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], L"L0  #91  FMain.OnCommand  Object variable or With block variable not set");
  EXPECT_EQ(log[1], L"L0  #91  FMain.OnCommand  Object variable or With block variable not set");
  EXPECT_EQ(log[2], L"L0  #31  FMain.SearchGoogle  no browser");
  EXPECT_EQ(log[3], L"L0  #5  FMain.OnCommand  Invalid procedure call or argument");
}

namespace {
std::vector<std::wstring> gShown;
std::int32_t NoteMessage(const std::wstring& text, std::int32_t, const std::wstring&) {
  gShown.push_back(text);
  return core::kButtonOK;
}
}  // namespace

// Addresses and folders open as the signed-in user: from this process only
// while it is not elevated, else through the desktop's shell, else not at
// all, and the user is told; the registry editor always from here, by its
// full path in the Windows folder.
TEST(MainShellRoutes, AddressesAndFoldersOpenAsTheSignedInUserOrNotAtAll) {
  wchar_t windows[MAX_PATH] = {};
  const std::wstring editor = std::wstring(windows, GetWindowsDirectoryW(windows, MAX_PATH)) + L"\\regedit.exe|/m";
  const std::wstring address = L"https://example.test/?q=a", folder = L"C:\\data\\Backup\\";
  struct Case {
    bool elevated, desktopAnswers;
    std::vector<std::wstring> calls;
  };
  const Case cases[] = {
      {false, true, {L"here " + address + L"|", L"here " + folder + L"|", L"here " + editor}},
      {true, true, {L"desktop " + address, L"desktop " + folder, L"here " + editor}},
      {true, false, {L"desktop " + address, L"not opened", L"desktop " + folder, L"not opened", L"here " + editor}},
  };
  core::SetMessagePresenter(&NoteMessage);
  for (const Case& c : cases) {
    std::vector<std::wstring> calls;
    ShellRoutes routes;
    routes.elevated = c.elevated;
    routes.openAsDesktopUser = [&](const std::wstring& target) {
      calls.push_back(L"desktop " + target);
      return c.desktopAnswers;
    };
    routes.openHere = [&](const std::wstring& file, const std::wstring& parameters, HWND) {
      calls.push_back(L"here " + file + L"|" + parameters);
      return DWORD{0};
    };
    gShown.clear();
    const MainShell shell = MainShell::Over(routes);
    const auto attempt = [&](const std::function<void()>& open) {
      try {
        open();
      } catch (const QlmError&) {
        calls.push_back(L"not opened");
      }
    };
    attempt([&] { shell.openAddress(address); });
    attempt([&] { shell.openFolder(folder, nullptr); });
    shell.startRegistryEditor();
    EXPECT_EQ(calls, c.calls);
    // Each request not opened was said once.
    EXPECT_EQ(gShown.size(), static_cast<std::size_t>(std::count(calls.begin(), calls.end(), L"not opened")));
  }
  core::SetMessagePresenter(nullptr);
}
