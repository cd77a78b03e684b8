#pragma once
// What the add-on tables share: a child window with a caption bar over the
// list of the kind's add-ons (AddonList), one record per row: its name
// column(s), then publisher, file, version, users and (64-bit Windows)
// architecture. Each kind (ToolbarTable, ButtonTable, MenuExtensionTable,
// ExplorerBarTable, HelperObjectTable, UrlSearchHookTable, ActiveXTable,
// ProtocolTable, SearchProviderTable) adds its name texts, the name its
// messages use, what deleting removes and where its entry is; its listing
// routine comes from the table of kinds.
//
// A failure is logged by the edge it reaches (the table's window procedure
// or the command that called it) under the table's procedure name
// ("<typeName>.RefreshList", "<typeName>.lv_ItemClick", ...).
//
// The class is written in four files: TableControlBase.cpp (the window,
// its messages and layout), TableRows.cpp (listing, rows, filter, caption),
// TableSelection.cpp (the selected add-on's details, file and key) and
// TableDeletion.cpp (deleting, turning off and on).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/QlmError.h"
#include "engine/kinds/AddonKinds.h"
#include "ozcore/CParams.h"
#include "ui/tables/AddonList.h"
#include "ui/tables/ITableControl.h"
#include "ui/widgets/CaptionBar.h"
#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/WidgetWindow.h"

class CRegistry;
class ListedSystem;

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
  void ChangeState(bool turnOn, const core::DataFolder& data) override;
  // Where a deletion's "Turn Off instead" saves the keys it changes;
  // without it the deletion offers no such choice.
  void SetDataFolder(const core::DataFolder& data) { data_ = data; }
  std::wstring CurrentFullFileName() override;
  std::wstring CurrentFullFileNameError() override;
  std::wstring CurrentObjectName() override;
  bool TableIsEmpty() const override { return listedNone_; }
  bool ShowDetails() override;
  HWND Hwnd() const override { return WidgetWindow::Hwnd(); }

  // The control's type name, the first part of its log contexts.
  const wchar_t* TypeName() const { return kind_.typeName; }
  HWND ListHwnd() const { return list_.Hwnd(); }
  AddonList& List() { return list_; }
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
  // Called after the rows changed: a refresh (a deletion's too), the filter,
  // the age marks.
  std::function<void()> rowsChanged;

  // Keeps the rows whose name, file, publisher or users hold every word of
  // text (any letter case); the caption then says how many are shown.
  void SetFilter(const std::wstring& text);
  // What the host knows of the records' age: which are new since the last
  // start, and the details' "First seen" texts for new and older ones.
  struct AgeMarks {
    std::function<bool(const CResultNode&)> isNew;
    std::wstring firstSeenNew, firstSeenEarlier;
  };
  void SetAgeMarks(AgeMarks marks);
  // The add-ons listed, shown by the filter, and new since the last start.
  std::size_t RecordCount() const { return records_.size(); }
  std::size_t ShownCount() const { return list_.ShownCount(); }
  std::size_t NewCount() const { return list_.NewCount(); }
  EntryKey SelectedEntryKey() override;
  const discovery::AddonKind& Kind() const { return kind_; }
  // The shown rows' cells in the shown columns, as stored (not in visible
  // form), with the shown columns' captions: what a report of the list
  // holds.
  std::vector<std::wstring> ShownColumnCaptions() const;
  std::vector<std::vector<std::wstring>> ShownRowCells() const;
  // Every record as listed, in discovery order, and the shown ones in row
  // order.
  const std::vector<std::shared_ptr<CResultNode>>& Records() const { return records_; }
  std::vector<const CResultNode*> ShownRecords() const;

 protected:
  // The outcome of deleting a record's registry entry.
  struct DeleteOutcome {
    bool deleted = false;
    std::wstring reason;  // appended to the failure message
  };

  // The kind's entry in the table of kinds fixes the table's captions,
  // columns, texts and listing routine; system is what it lists from.
  TableControlBase(std::int32_t kindId, ListedSystem& system);

  const discovery::AddonKind& KindOfTable() const { return kind_; }
  // The kind's listing routine; no list when it failed.
  virtual std::optional<CResultNodes> Discover() const;
  ListedSystem& System() const { return system_; }
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
  virtual bool HandleKindKey(WPARAM key);
  // The texts of a record's row, one per column.
  virtual std::vector<std::wstring> RowTexts(const CResultNode& record) const;
  // The add-on's name in the delete messages.
  virtual std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const = 0;
  // Removes the one registry entry that loads the add-on: the kind's
  // deletion plan for the record, carried out by the backup layer.
  DeleteOutcome DeleteEntry(const CResultNode& record) const;
  // The key holding the record's entry, read through a registry of the
  // record's view (no root: unknown). By default the record's "key" and
  // "hive": the entry's key, or for a kind whose entries are values, the
  // key holding it.
  virtual EntryKey EntryLocation(CRegistry& registry, const CResultNode& record) const;
  // The string whose text (with the name, then the reason) is logged when a
  // deletion fails; 0 logs nothing.
  virtual unsigned FailureLogText() const { return 0; }

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
  // The row-operation errors the table raises itself, in the numbering of
  // the list widget it stands in for.
  static constexpr std::int32_t kNoSuchRow = errors::kIndexOutOfBounds;
  static constexpr std::int32_t kNoRecordOnRow = errors::kObjectNotSet;
  // What the user answered before a deletion.
  enum class DeleteAnswer { Keep, Delete, TurnOff };

  // "<typeName>.<procedure>": the context of the table's own log records.
  std::wstring Context(const wchar_t* procedure) const;
  void ShowSelectedDetails();
  // The rows of the details pane for a record.
  CParams DetailsOf(const CResultNode& record) const;
  // Lists the kind again and fills the rows; false when the listing failed.
  bool ListAgain();
  // Asks whether to delete the record named name (or turn it off instead).
  DeleteAnswer AskBeforeDeleting(const CResultNode& record, const std::wstring& name) const;
  // Deletes the record's entry and tells the user how that went.
  void DeleteAndSay(const CResultNode& record, const std::wstring& name);
  void ShowRowMenuAtMouse(bool rightButton, bool onRow);
  void ShowRowMenuFromKeyboard(LPARAM lParam);
  void ShowContextMenu(const ContextMenuRequest& request);
  LRESULT AnswerNotification(const NMHDR& header);
  void LayoutChildren();
  void LayoutColumns();
  // The rows' picture in the list's image list; a missing one is logged.
  void LoadRowImage();
  // Hands the records' cells, search texts and marks to the list.
  void FillList();
  // A record's cells; visible: in the form the list shows.
  std::vector<std::wstring> Cells(const CResultNode& record, bool visible = true) const;
  static std::wstring SearchText(const std::vector<std::wstring>& cells, std::size_t nameColumns);

  void AddColumns();
  int RowCount() const { return list_.RowCount(); }
  void SelectRow(int row);
  std::wstring RowText(int row) const;
  std::shared_ptr<CResultNode> SharedRecordAt(int row) const;
  // The selected row's record; with no row selected the first row is
  // selected (quietly) and its record given. Throws, in the procedure's
  // name, when the row has no record.
  const CResultNode& SelectedOrFirstRecord(const wchar_t* procedure);
  // Shows the details only while the table itself is the one shown.
  bool Shown() const;
  // No add-on on show: none listed, or the filter hides them all.
  bool NoRecordShown() const { return listedNone_ || list_.ShowsPlaceholder(); }

  const discovery::AddonKind& kind_;
  ListedSystem& system_;
  CaptionBar caption_;
  AddonList list_;
  UniqueImageList images_;
  DetailsSink showDetails_;
  PopupMenu* contextMenu_ = nullptr;
  // The last refresh listed no add-on of the kind.
  bool listedNone_ = false;
  bool columnsAdded_ = false;
  AgeMarks ages_;
  // True while the table changes its own rows and selection: the list's
  // notifications then are not the user's.
  bool updating_ = false;
  // True while a deletion runs: its dialogs let messages through, and a
  // held Delete key must not stack a second deletion on the first.
  bool removing_ = false;
  std::optional<core::DataFolder> data_;
  // The records in discovery order; the list's view says which row shows
  // which.
  std::vector<std::shared_ptr<CResultNode>> records_;
};
