// PropertyGrid: painting.
#include "ui/widgets/PropertyGrid.h"

void PropertyGrid::OnPaint(HDC dc) {
  const Widgets::Palette palette = Widgets::CurrentPalette();
  const RECT client = ClientRect();
  Widgets::FillSolid(dc, client, palette.window);
  SetBkMode(dc, TRANSPARENT);
  const bool focused = GetFocus() == Hwnd() || (editor_ && GetFocus() == editor_);
  const int gutter = Scale(18);
  const int divider = DividerX();
  const int pad = Scale(5);

  // Heading: a light band across, the expand glyph in the gutter.
  const RECT heading = LineRect(kHeading);
  Widgets::FillSolid(dc, heading, palette.categoryBack);
  Widgets::HorizontalLine(dc, 0, client.right, heading.bottom - 1, palette.gridLine);
  Widgets::DrawExpandGlyph(dc, RECT{0, heading.top, gutter, heading.bottom}, expanded_, palette.grayText);
  {
    SelectGuard font(dc, boldFont_.get());
    RECT text{gutter, heading.top, client.right - pad, heading.bottom};
    if (selected_ == kHeading) {
      RECT band{gutter, heading.top + 1, client.right, heading.bottom - 1};
      Widgets::FillSolid(dc, band, focused ? palette.selectionBack : palette.selectionInactiveBack);
    }
    SetTextColor(dc, selected_ == kHeading && focused ? palette.selectionText : palette.windowText);
    text.left += Scale(3);
    DrawTextW(dc, category_.c_str(), static_cast<int>(category_.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (!expanded_) return;

  SelectGuard font(dc, font_.get());
  for (int row = 0; row < RowCount(); ++row) {
    const int line = row + 1;
    const RECT r = LineRect(line);
    if (r.bottom < 0 || r.top > client.bottom) continue;
    RECT gutterRect{0, r.top, gutter, r.bottom};
    Widgets::FillSolid(dc, gutterRect, palette.categoryBack);
    RECT name{gutter, r.top, divider, r.bottom - 1};
    const bool selected = line == selected_;
    if (selected) Widgets::FillSolid(dc, name, focused ? palette.selectionBack : palette.selectionInactiveBack);
    SetTextColor(dc, selected && focused ? palette.selectionText : palette.windowText);
    RECT nameText{name.left + pad, name.top, name.right - Scale(2), name.bottom};
    const std::wstring& rowName = rows_[static_cast<std::size_t>(row)].first;
    DrawTextW(dc, rowName.c_str(), static_cast<int>(rowName.size()), &nameText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, palette.windowText);
    RECT valueText{divider + 1 + pad, r.top, client.right - pad, r.bottom - 1};
    const std::wstring& value = rows_[static_cast<std::size_t>(row)].second;
    DrawTextW(dc, value.c_str(), static_cast<int>(value.size()), &valueText,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    Widgets::HorizontalLine(dc, gutter, client.right, r.bottom - 1, palette.gridLine);
    Widgets::VerticalLine(dc, divider, r.top, r.bottom, palette.gridLine);
  }
}
