#pragma once
// What every add-on table offers the table host and the command layer. The
// tables (one per add-on kind, made by MakeTable) each
// implement it; their visual face is the child window Hwnd().
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/DataFolder.h"
#include "engine/kinds/AddonKinds.h"

class CParams;
class PopupMenu;

// Where a table shows the details of its selected add-on (the details
// pane, which the table host hands in).
using DetailsSink = std::function<void(const CParams& details)>;


// The registry key that holds an add-on's entry (for a value: its key),
// with the view it is in; no root when unknown.
struct EntryKey {
  HKEY root = nullptr;
  std::wstring path;
  bool view32 = false;
};

class ITableControl {
 public:
  virtual ~ITableControl() = default;

  // Drops the reference to the details pane; the table is not used after.
  virtual void Finalize() = 0;
  // The table identifier (3 to 7), whether or not Init has run.
  virtual std::int32_t ID() const = 0;
  // Columns, row image, the two references, then the first fill. The
  // context menu is the main window's row menu (command ids 7001-7004); the
  // table shows it with the top-level window as owner, so the chosen
  // command reaches the main window's dispatch.
  virtual void Init(DetailsSink showDetails, PopupMenu* contextMenu) = 0;
  // Runs the kind's discovery again and rebuilds the rows.
  virtual void RefreshList() = 0;
  // Deletes the selected add-on after the user confirms.
  virtual void Remove() = 0;
  // Turns the selected add-on off or on in the browser's per-user store
  // after the user confirms, the keys saved first into data's backup
  // folder; says why when that does not apply.
  virtual void ChangeState(bool turnOn, const core::DataFolder& data) = 0;
  // The selected add-on's file, or empty.
  virtual std::wstring CurrentFullFileName() = 0;
  // Why the selected add-on has no usable file, or empty.
  virtual std::wstring CurrentFullFileNameError() = 0;
  // The selected add-on's own name, or empty.
  virtual std::wstring CurrentObjectName() = 0;
  // True when the last refresh found no add-on of the kind.
  virtual bool TableIsEmpty() const = 0;
  // Puts the selected add-on into the details pane; false for an empty table.
  virtual bool ShowDetails() = 0;
  // The key of the selected add-on's entry; no root when none is selected.
  virtual EntryKey SelectedEntryKey() = 0;

  // The table's child window (caption bar over the list).
  virtual HWND Hwnd() const = 0;
};
