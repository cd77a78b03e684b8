// The main window's size and place: the first size, the place remembered
// from the last start, and how the ribbon, the panes and the status bar
// share the client area.
#include <algorithm>

#include "ui/main/CommandTable.h"
#include "ui/main/MainWindow.h"
#include "ui/main/WindowPlace.h"

UINT MainWindow::Dpi() const {
  const UINT dpi = hwnd_ ? GetDpiForWindow(hwnd_) : 0;
  return dpi ? dpi : 96;
}

SIZE MainWindow::MinWindowSize() const {
  const UINT dpi = Dpi();
  RECT rect{0, 0, MulDiv(kMinClientWidth, static_cast<int>(dpi), 96), MulDiv(kMinClientHeight, static_cast<int>(dpi), 96)};
  AdjustWindowRectExForDpi(&rect, kStyle, FALSE, 0, dpi);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int MainWindow::PlaceAtStart() {
  const SIZE least = MinWindowSize();
  const std::optional<windowplace::Place> place = windowplace::Recall(data_.settingsKey, least.cx, least.cy);
  if (!place) {
    PlaceAtFirstShow();
    return SW_SHOWNORMAL;
  }
  SetWindowPos(hwnd_, nullptr, place->left, place->top, place->width, place->height, SWP_NOZORDER | SWP_NOACTIVATE);
  // Kept now: a window shown maximised has no normal place to note.
  GetWindowRect(hwnd_, &normalPlace_);
  panes_.SetLeftWidth(place->treeWidth);
  panes_.SetBottomHeight(place->detailsHeight);
  return place->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

void MainWindow::PlaceAtFirstShow() {
  const UINT dpi = Dpi();
  RECT rect{0, 0, MulDiv(kClientWidth, static_cast<int>(dpi), 96), MulDiv(kClientHeight, static_cast<int>(dpi), 96)};
  AdjustWindowRectExForDpi(&rect, kStyle, FALSE, 0, dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  // Never larger than the screen it opens on.
  const int width = std::min<int>(rect.right - rect.left, work.right - work.left);
  const int height = std::min<int>(rect.bottom - rect.top, work.bottom - work.top);
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(hwnd_, &normalPlace_);
}

void MainWindow::NoteNormalPlace() {
  if (hwnd_ && IsWindowVisible(hwnd_) && !IsIconic(hwnd_) && !IsZoomed(hwnd_)) GetWindowRect(hwnd_, &normalPlace_);
}

void MainWindow::RememberPlace() {
  NoteNormalPlace();
  if (IsRectEmpty(&normalPlace_)) return;  // never shown
  windowplace::Remember(data_.settingsKey,
                        {normalPlace_.left, normalPlace_.top, normalPlace_.right - normalPlace_.left,
                         normalPlace_.bottom - normalPlace_.top, IsZoomed(hwnd_) != FALSE, panes_.LeftWidth(),
                         panes_.BottomHeight()});
}

// clientArea takes exactly the area the ribbon leaves free.
void MainWindow::Layout() {
  if (!ribbon_.Hwnd() || !panes_.Hwnd()) return;
  const RECT free = ribbon_.DockToParent();
  status_.Layout();
  const int bottom = std::max<int>(free.top, free.bottom - status_.Height());
  MoveWindow(panes_.Hwnd(), free.left, free.top, free.right - free.left, bottom - free.top, TRUE);
}

void MainWindow::FollowDpiChange(UINT dpi, const RECT& suggested) {
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // The menu's images are bitmaps of one size: make them anew.
  Commands::BuildContextMenu(contextMenu_, images_, dpi);
  Layout();
}
