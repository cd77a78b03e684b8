#pragma once
// The main window's status bar: how many add-ons of each kind are listed,
// what the filter shows, and the last backup written (a click on it opens
// its folder).
#include <windows.h>

#include <string>
#include <vector>

class TableControlBase;

class StatusBar {
 public:
  static constexpr int kCountsPart = 0;
  static constexpr int kFilterPart = 1;
  static constexpr int kBackupPart = 2;

  StatusBar() = default;
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;

  // A child of parent along its bottom edge; the parent destroys it.
  bool Create(HWND parent, int controlId);
  HWND Hwnd() const { return hwnd_; }
  // Its height once laid out along the parent's bottom; 0 without it.
  int Height() const;
  // Follows the parent's width and sizes the parts.
  void Layout();

  void SetText(int part, const std::wstring& text);
  std::wstring Text(int part) const;
  // The parts for the lists: every kind's count, the filter's count while
  // one is set, and the last backup (its full path; empty: none yet).
  void ShowLists(const std::vector<TableControlBase*>& tables, bool filtered, const std::wstring& lastBackup);

  // The part under a point of the bar's client area; -1 for none.
  int PartAt(POINT client) const;

 private:
  HWND hwnd_ = nullptr;
};
