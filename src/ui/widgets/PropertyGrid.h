#pragma once
// A property grid drawn by us: one expandable category heading with name /
// value rows under it, in the order given. The divider between names and
// values starts at two tenths of the width and can be dragged. Values can
// be copied: Ctrl+C or the shortcut menu copies the selected row's value,
// and clicking a value opens it read-only for selecting part of the text.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/WidgetAccessible.h"
#include "ui/widgets/WidgetWindow.h"

class PropertyGrid final : public WidgetWindow, private AccessibleSource {
 public:
  // Lines are numbered: 0 is the heading, 1..RowCount() the rows.
  static constexpr int kHeading = 0;

  PropertyGrid();
  ~PropertyGrid() override;

  bool Create(HWND parent, int controlId);

  void SetCategory(const std::wstring& caption);
  const std::wstring& Category() const { return category_; }
  void SetExpanded(bool expanded);
  bool Expanded() const { return expanded_; }

  void Clear();
  void AddRow(const std::wstring& name, const std::wstring& value);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  const std::wstring& RowName(int row) const { return rows_.at(static_cast<std::size_t>(row)).first; }
  const std::wstring& RowValue(int row) const { return rows_.at(static_cast<std::size_t>(row)).second; }

  // The selected line (kHeading or a row number from 1), or -1.
  int Selection() const { return selected_; }
  void Select(int line);

  double DividerFraction() const { return fraction_; }
  void SetDividerFraction(double fraction);
  int DividerX() const;

  // Caption of the shortcut menu's copy item; the menu is offered only
  // when a caption is set.
  void SetCopyCaption(const std::wstring& caption) { copyCaption_ = caption; }
  // Puts the selected line's value (the heading's caption for the heading)
  // on the clipboard. False when nothing is selected or the clipboard is busy.
  bool CopySelection();

  // Client rectangle of a line (kHeading or 1..RowCount()); empty when
  // the line is hidden under a collapsed heading.
  RECT LineRect(int line) const;
  int LineHeight() const { return lineHeight_; }
  // The read-only editor opened over a value, or null.
  HWND ValueEditor() const { return editor_; }
  bool EditorVisible() const { return editor_ && IsWindowVisible(editor_); }

  Microsoft::WRL::ComPtr<IAccessible> Accessible() { return accessible_.Get(Hwnd()); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;

 private:
  static constexpr int kCopyCommand = 1;

  void OnPaint(HDC dc) override;
  // The messages of the mouse, and of the keyboard and focus; nothing for
  // one they leave to the default handling.
  std::optional<LRESULT> MouseMessage(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> KeyboardMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A press selects its line (and opens a value's editor, toggles the
  // heading, or starts dragging the divider).
  void PressAt(POINT pt, bool doubleClick);
  void DragDividerTo(POINT pt);
  void SelectLineAt(POINT pt);
  // The shortcut menu with its one Copy item, for the selected row.
  void ShowCopyMenu(LPARAM lParam);
  // The keys that move the selection, expand, open the editor and copy;
  // false for any other.
  bool TakeKey(WPARAM key);
  void ScrollByBar(WORD code);
  // The editor's colours, the window's own.
  LRESULT EditorColors(HDC dc);
  bool SizingCursorWanted() const;

  int VisibleLines() const { return 1 + (expanded_ ? RowCount() : 0); }
  int LineAt(int y) const;
  bool NearDivider(POINT pt) const;
  void ScrollTo(int top);
  void EnsureVisible(int line);
  void UpdateScrollBar();
  void ShowEditor(int line);
  void HideEditor();
  void PlaceEditor();
  void Changed();
  static LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);

  AccessibleElement AccessibleSelf() override;
  long AccessibleChildCount() override { return 1 + RowCount(); }
  bool AccessibleChild(long childId, AccessibleElement& out) override;
  bool AccessibleDoDefault(long childId) override;
  long AccessibleFocusChild() override { return selected_ >= 0 ? selected_ + 1 : CHILDID_SELF; }
  bool AccessibleSelect(long childId, long flags) override;

  std::wstring category_;
  bool expanded_ = true;
  std::vector<std::pair<std::wstring, std::wstring>> rows_;
  int selected_ = -1;
  double fraction_ = 0.2;
  int scrollTop_ = 0;
  int lineHeight_ = 0;
  bool draggingDivider_ = false;
  std::wstring copyCaption_;
  UniqueFont font_;
  UniqueFont boldFont_;
  HWND editor_ = nullptr;
  int editorLine_ = -1;
  AccessibleHost accessible_;
};
