#pragma once
// What the add-on tables share: a child window with a caption bar over
// a report-style list of the kind's add-ons, one record per row. Each kind
// (ToolbarTable, ButtonTable, MenuExtensionTable, ExplorerBarTable, HelperObjectTable, UrlSearchHookTable,
// ActiveXTable, ProtocolTable, SearchProviderTable) adds its texts, its discovery routine, the name its
// messages use and what deleting removes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/AddonKinds.h"
#include "ozcore/CParams.h"
#include "ui/tables/ITableControl.h"
#include "ui/widgets/CaptionBar.h"
#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/WidgetWindow.h"

class CRegistry;
class FileResolver;

class TableControlBase : public WidgetWindow, public ITableControl {
 public:
  ~TableControlBase() override;

  // Creates the (hidden) table window as a child of parent.
  bool Create(HWND parent);

  // ITableControl
  void Finalize() override;
  std::int32_t ID() const override { return kind_.id; }
  void Init(DetailsSink showDetails, PopupMenu* contextMenu) override;
  void RefreshList() override;
  void Remove() override;
  std::wstring CurrentFullFileName() override;
  std::wstring CurrentFullFileNameError() override;
  std::wstring CurrentObjectName() override;
  bool TableIsEmpty() const override { return emptyFlag_; }
  bool ShowDetails() override;
  HWND Hwnd() const override { return WidgetWindow::Hwnd(); }

  // The control's type name, the first part of its log contexts.
  const wchar_t* TypeName() const { return kind_.typeName; }
  HWND ListHwnd() const { return list_; }
  const CaptionBar& Caption() const { return caption_; }
  bool HasDetailsPane() const { return static_cast<bool>(showDetails_); }
  // The record shown on a row (0-based); null for the empty row.
  const CResultNode* RecordAt(int row) const;
  // The selected row (0-based), or -1.
  int SelectedRow() const;

  // How the context menu is asked for: where (screen point) and whether it
  // came from the keyboard.
  struct ContextMenuRequest {
    POINT screen{};
    bool keyboard = false;
  };
  // Test seam: when set, called in place of showing the context menu.
  std::function<void(const ContextMenuRequest&)> contextMenuSeam;

 protected:
  // The outcome of deleting a record's registry entry.
  struct DeleteOutcome {
    bool deleted = false;
    std::wstring reason;  // appended to the failure message
  };

  // The kind's entry in the table of kinds fixes the table's captions,
  // columns, texts and listing routine; files resolves the entries' files
  // for every listing (its answers are kept for the run).
  TableControlBase(std::int32_t kindId, FileResolver& files);

  const discovery::AddonKind& KindOfTable() const { return kind_; }
  // The kind's listing routine; no list when it failed.
  virtual std::optional<CResultNodes> Discover() const { return kind_.list(files_); }
  FileResolver& Files() const { return files_; }
  // The caption bar's text: the kind's caption.
  virtual std::wstring CaptionText() const;
  // Shows CaptionText() again (after a kind's own setting changed it).
  void UpdateCaption();
  // The kind's own rows of the details, after the file, maker and users.
  virtual void AddKindDetails(const CResultNode& record, CParams& details) const;
  // The question asked before deleting the record named name.
  virtual std::wstring ConfirmationText(const CResultNode& record, const std::wstring& name) const;
  // A key pressed in the list (no Shift, Ctrl or Alt) that the kind handles
  // itself: true when handled.
  virtual bool OnKindKey(WPARAM key);
  // The texts of a record's row, one per column.
  virtual std::vector<std::wstring> RowTexts(const CResultNode& record) const;
  // The add-on's name in the delete messages.
  virtual std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const = 0;
  // Removes the one registry entry that loads the add-on.
  virtual DeleteOutcome DeleteEntry(CRegistry& registry, const CResultNode& record) = 0;
  // The string whose text (with the name, then the reason) is logged when a
  // deletion fails; 0 logs nothing.
  virtual unsigned FailureLogText() const { return 0; }

  // DeleteKey on path under root, refusing an empty entry name or path and
  // any root but the machine's and the users'.
  static DeleteOutcome DeleteEntryKey(CRegistry& registry, HKEY root, const std::wstring& parent,
                                      const std::wstring& entry);
  static DeleteOutcome Incomplete();
  // The root a record's entry was found under ("key"): the machine's or the
  // users' hive; null for anything else.
  static HKEY ListRoot(const CResultNode& record);
  // A record value as text ("" when missing).
  static std::wstring Value(const CResultNode& record, const wchar_t* key);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  static constexpr UINT kRunRemove = WM_APP + 0x51;
  static constexpr UINT kRunKindKey = WM_APP + 0x52;

  std::wstring Context(const wchar_t* procedure) const;
  void ShowSelectedDetails();
  void OnListMouseUp(bool rightButton, bool onRow);
  void OnContextMenuKey(LPARAM lParam);
  void ShowContextMenu(const ContextMenuRequest& request);
  LRESULT OnNotify(const NMHDR& header);
  void UserControl_Resize();
  void LayoutColumns();
  void LoadRowImage();

  void AddColumns();
  int RowCount() const;
  void AddRow(const std::vector<std::wstring>& texts, const std::shared_ptr<CResultNode>& record);
  void SelectRow(int row);
  std::wstring RowText(int row) const;
  std::shared_ptr<CResultNode> SharedRecordAt(int row) const;
  // The selected row's record; with no row selected the first row is
  // selected (quietly) and its record given. Throws, in the procedure's
  // name, when the row has no record.
  const CResultNode& SelectedOrFirstRecord(const wchar_t* procedure);
  // Shows the details only while the table itself is the one shown.
  bool Shown() const;

  const discovery::AddonKind& kind_;
  FileResolver& files_;
  CaptionBar caption_;
  HWND list_ = nullptr;
  UniqueImageList images_;
  DetailsSink showDetails_;
  PopupMenu* contextMenu_ = nullptr;
  bool emptyFlag_ = false;
  bool columnsAdded_ = false;
  // True while the table changes its own rows and selection: the list's
  // notifications then are not the user's.
  bool updating_ = false;
  // True while a deletion runs: its dialogs let messages through, and a
  // held Delete key must not stack a second deletion on the first.
  bool removing_ = false;
  // The records of the rows, in row order; a row's item data points to its
  // record, the empty row's to nothing.
  std::vector<std::shared_ptr<CResultNode>> records_;
};
