#pragma once
// The details pane: the child window in the "Properties" pane. It shows the
// name / value rows it is given under the one heading "Details".
#include <windows.h>

#include <memory>

class CParams;
class PropertyGrid;

class DetailsPane {
 public:
  DetailsPane();
  ~DetailsPane();
  DetailsPane(const DetailsPane&) = delete;
  DetailsPane& operator=(const DetailsPane&) = delete;

  // Creates the window as a child of parent (hidden until the pane shows it).
  bool Create(HWND parent);
  HWND Hwnd() const;

  // Sets up the grid with its one expanded heading "Details".
  void Init();
  // Replaces the rows with one row per entry: its key, then its value as
  // text. Failures are raised for the edge that called
  // ("FProperties.ShowDetails").
  void ShowDetails(const CParams& details);

  PropertyGrid& Grid();

  // The most rows a record's details have (file, publisher, users,
  // architecture, state, signature, the file's hash, first seen).
  static constexpr int kMostRows = 8;
  // The height, in pixels at 96 DPI, that shows the heading and rows rows
  // without a scroll bar.
  int HeightFor(int rows) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
