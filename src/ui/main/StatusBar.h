#pragma once
// The main window's status bar: how many add-ons of each kind are listed,
// what the filter shows, and the last backup written (a click on it opens
// its folder). Each part is as wide as its text needs, the counts taking
// the rest; a text wider than its part is shortened in the middle, never
// cut at the edge.
#include <windows.h>

#include <string>
#include <vector>

class TableControlBase;

class StatusBar {
 public:
  static constexpr int kCountsPart = 0;
  static constexpr int kFilterPart = 1;
  static constexpr int kBackupPart = 2;

  // The last backup written: its full path (empty: none yet), and whether
  // start-up wrote it.
  struct LastBackup {
    std::wstring path;
    bool atStart = false;
  };

  StatusBar() = default;
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;

  // A child of parent along its bottom edge; the parent destroys it.
  bool Create(HWND parent, int controlId);
  HWND Hwnd() const { return hwnd_; }
  // Its height once laid out along the parent's bottom; 0 without it.
  int Height() const;
  // Follows the parent's width, sizes the parts and fits their texts.
  void Layout();

  // tip: the part's tooltip; empty: the text itself.
  void SetText(int part, const std::wstring& text, const std::wstring& tip = {});
  // The text as the part shows it.
  std::wstring Text(int part) const;
  // The parts for the lists: the system shown when it is not this
  // computer (system) and every kind's count, the filter's count while one
  // is set, and the last backup by its time and size (its path in the
  // tooltip).
  void ShowLists(const std::vector<TableControlBase*>& tables, bool filtered, const LastBackup& backup,
                 const std::wstring& system = {});

  // The part under a point of the bar's client area; -1 for none.
  int PartAt(POINT client) const;

 private:
  void Put(int part, const std::wstring& text, const std::wstring& tip);

  HWND hwnd_ = nullptr;
  std::wstring texts_[3];
  std::wstring tips_[3];
};
