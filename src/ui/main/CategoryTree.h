#pragma once
// The category tree: the child window in the "All Browser Objects" pane, a
// caption strip "All Add-ons" over a tree of the add-on kinds. A click
// on a kind raises ShowTable with its table identifier.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

class CategoryTree {
 public:
  CategoryTree();
  ~CategoryTree();
  CategoryTree(const CategoryTree&) = delete;
  CategoryTree& operator=(const CategoryTree&) = delete;

  // The ShowTable notification; set by the main window before Create.
  std::function<void(std::int32_t id)> ShowTable;

  // Creates the window as a child of parent and builds the tree ("Toolbars"
  // selected; building raises no ShowTable).
  bool Create(HWND parent);
  HWND Hwnd() const;

  // The tree control, for tests and keyboard focus.
  HWND TreeHwnd() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
