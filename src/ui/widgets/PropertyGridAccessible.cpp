// PropertyGrid: what assistive technology reads: the heading and each row
// as a child (child id = line + 1).
#include "ui/widgets/PropertyGrid.h"

AccessibleElement PropertyGrid::AccessibleSelf() {
  AccessibleElement self;
  wchar_t text[256] = {};
  GetWindowTextW(Hwnd(), text, 256);
  self.name = text;
  self.role = ROLE_SYSTEM_OUTLINE;
  self.state = STATE_SYSTEM_FOCUSABLE;
  return self;
}

bool PropertyGrid::AccessibleChild(long childId, AccessibleElement& out) {
  const int line = static_cast<int>(childId) - 1;
  if (line < 0 || line > RowCount()) return false;
  out.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (line == selected_) {
    out.state |= STATE_SYSTEM_SELECTED;
    if (GetFocus() == Hwnd()) out.state |= STATE_SYSTEM_FOCUSED;
  }
  if (line == kHeading) {
    out.name = category_;
    out.role = ROLE_SYSTEM_OUTLINEITEM;
    out.state |= expanded_ ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    out.bounds = LineRect(kHeading);
    return true;
  }
  out.name = RowName(line - 1);
  out.value = RowValue(line - 1);
  out.role = ROLE_SYSTEM_LISTITEM;
  out.state |= STATE_SYSTEM_READONLY;
  if (!expanded_) {
    out.state |= STATE_SYSTEM_INVISIBLE;
  } else {
    out.bounds = LineRect(line);
    const RECT client = ClientRect();
    if (out.bounds.bottom <= 0 || out.bounds.top >= client.bottom) out.state |= STATE_SYSTEM_OFFSCREEN;
  }
  return true;
}

bool PropertyGrid::AccessibleDoDefault(long childId) {
  const int line = static_cast<int>(childId) - 1;
  if (line < 0 || line > RowCount()) return false;
  if (line == kHeading) {
    SetExpanded(!expanded_);
  } else {
    if (!expanded_) SetExpanded(true);
    Select(line);
  }
  return true;
}

bool PropertyGrid::AccessibleSelect(long childId, long flags) {
  const int line = static_cast<int>(childId) - 1;
  if (line < 0 || line >= VisibleLines()) return false;
  if (flags & SELFLAG_TAKEFOCUS) SetFocus(Hwnd());
  if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) Select(line);
  return true;
}
