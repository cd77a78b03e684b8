#pragma once
// The program's one top-level window: the ribbon across the top and, in
// the client area below it (clientArea), the three docked panes: the
// category tree, the table host and the details pane. Its commands go to
// the command dispatch; the backup and restore commands live apart.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "core/DataFolder.h"
#include "ui/main/CommandHost.h"
#include "ui/main/MainShell.h"
#include "ui/main/StartInventory.h"
#include "ui/main/StatusBar.h"
#include "ui/tables/ListedSystem.h"
#include "ui/widgets/DockPanes.h"
#include "ui/widgets/ImageStore.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/Ribbon.h"

class CategoryTree;
class FileResolver;
class TableHost;
class DetailsPane;
class CommandDispatch;

class MainWindow final : public CommandHost {
 public:
  // Client size at first show, in pixels at 96 DPI.
  static constexpr int kClientWidth = 963;
  static constexpr int kClientHeight = 501;
  // Docked pane sizes at 96 DPI; the details pane is as tall as its rows
  // need (DetailsPane::HeightFor), at least this.
  static constexpr int kTreeWidth = 200;
  static constexpr int kDetailsHeight = 100;

  // files: resolves the listed entries' files (it must outlive the window);
  // data: where the start-up backup and the Backup command write.
  MainWindow(FileResolver& files, core::DataFolder data);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Opens the window and processes its events until the user leaves it
  // (the Exit command or a close request), then destroys it. Returns at
  // once when the window cannot be opened.
  void RunUntilClosed();

  // The two halves of RunUntilClosed, for tests that drive the window
  // themselves. Open creates the window, its ribbon and panes, writes the
  // start-up backup and shows it; false when the window could not be made
  // (logged, "FMain.Load").
  bool Open();
  // Destroys the pane windows (tree, table host, details) and the window.
  void Destroy();

  // The exit flag: set by the Exit command and by any close request.
  bool ExitRequested() const { return exit_; }
  void RequestExit() override { exit_ = true; }

  // A category chosen in the tree: the table host shows its table.
  void ShowCategory(std::int32_t id);

  // Runs a command by id, as a click on the ribbon or the context menu
  // does. An error escaping the action is logged, never raised.
  void RunCommand(int commandId);

  // The keys the window takes before a message of its thread is
  // translated: the ribbon's access keys, and F6 / Shift+F6 moving the
  // focus from pane to pane. True when the message was used up.
  bool TakeKeyBeforeDispatch(const MSG& msg);

  // While busy, the window shows the hourglass pointer.
  void SetBusy(bool busy) override;
  bool Busy() const { return busy_; }

  HWND Hwnd() const { return hwnd_; }
  Ribbon& TheRibbon() { return ribbon_; }
  DockPanes& Panes() { return panes_; }
  // The container below the ribbon that the panes fill.
  HWND ClientArea() const { return panes_.Hwnd(); }
  ImageStore& Images() { return images_; }
  // The row context menu by id (400); null for any other id.
  PopupMenu* FindContextMenu(int id);
  CategoryTree* Tree() { return tree_.get(); }
  TableHost* Host() { return host_.get(); }
  DetailsPane* Details() { return details_.get(); }
  // The shell requests of the commands; tests replace its members.
  MainShell& Shell() override { return shell_; }

  // CommandHost
  HWND OwnerWindow() const override { return hwnd_; }
  ITableControl* ShownTable() override;
  void RefreshTables() override;
  ListedSystem& System() override { return system_; }
  void SystemChanged() override;
  std::vector<TableControlBase*> Lists() override;
  void BackupWritten(const std::wstring& path) override;
  StatusBar& Status() { return status_; }
  // What this start found new since the last one.
  const StartInventory& Inventory() const { return inventory_; }
  // The filter's text box in the ribbon.
  HWND FilterBox() const;
  const core::DataFolder& Data() const override { return data_; }

 private:
  static constexpr int kRibbonId = 100;
  static constexpr int kPanesId = 101;
  static constexpr int kStatusId = 102;
  static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  // The smallest client area that still shows the whole ribbon, at 96 DPI.
  static constexpr int kMinClientWidth = 720;
  static constexpr int kMinClientHeight = 360;

  static bool RegisterClassOnce();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool CreateFrame();
  // The ribbon, the panes and the start-up backup (Open's work).
  void BuildContent();
  void LoadImagesAndTips();
  void BuildCommandBars();
  void BuildPanes();
  SIZE MinWindowSize() const;
  // Where the window opens: where it was left (data_.settingsKey), else at
  // its first size; returns how to show it.
  int PlaceAtStart();
  void PlaceAtFirstShow();
  // The window's place while neither maximised nor minimised, kept for the
  // next start.
  void NoteNormalPlace();
  void RememberPlace();
  void Layout();
  // Lays the window out for a new DPI at the place the system suggests.
  void FollowDpiChange(UINT dpi, const RECT& suggested);
  // The focus goes back where it was when the window is activated again.
  void KeepFocusOverActivation(bool active);
  // The filter box's changes go to the tables, commands to the dispatch.
  void RouteCommand(WPARAM wParam, LPARAM lParam);
  // The ribbon's height changes; a click on the status bar's backup.
  void AnswerNotification(const NMHDR& header);
  // The list keys: Ctrl+F and F3 to the filter, Esc there clears it,
  // Ctrl+S saves the list, F5 refreshes, Enter in a list shows the file's
  // properties. True when the message was used up.
  bool ListKeys(const MSG& msg);
  bool IsAddonList(HWND window);
  // The inventory of this start, and the tables' marks from it.
  void CompareWithLastStart();
  void UpdateStatus();
  // The caption names the offline system shown.
  void UpdateCaption();
  // The window goes: the exit flag, its place kept for the next start, then
  // the panes' windows, each before the next.
  void EndAndDestroyPanes();
  void RunMessageLoop();
  // F6 and Shift+F6 move the keyboard focus from pane to pane.
  bool CyclePaneFocus(const MSG& msg);
  UINT Dpi() const;

  HWND hwnd_ = nullptr;
  bool exit_ = false;
  bool busy_ = false;
  HWND lastFocus_ = nullptr;
  RECT normalPlace_{};
  ImageStore images_;
  Ribbon ribbon_;
  DockPanes panes_;
  PopupMenu contextMenu_;
  std::unique_ptr<CategoryTree> tree_;
  std::unique_ptr<TableHost> host_;
  std::unique_ptr<DetailsPane> details_;
  std::unique_ptr<CommandDispatch> dispatch_;
  MainShell shell_;
  StatusBar status_;
  StartInventory inventory_;
  StatusBar::LastBackup lastBackup_;
  FileResolver& files_;
  ListedSystem system_;
  core::DataFolder data_;
};
