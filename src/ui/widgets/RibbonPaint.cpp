#include "ui/widgets/Ribbon.h"

#include "ui/widgets/CaptionText.h"

void Ribbon::OnPaint(HDC dc) {
  const Widgets::Palette palette = Widgets::CurrentPalette();
  const RECT client = ClientRect();
  Widgets::FillSolid(dc, client, palette.ribbonBack);
  Widgets::FillSolid(dc, layout_.header, palette.headerBack);
  Widgets::HorizontalLine(dc, 0, client.right, layout_.header.bottom - 1, palette.border);
  Widgets::HorizontalLine(dc, 0, client.right, layout_.metrics.height - 1, palette.border);
  if (!font_) return;
  SelectGuard font(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);

  if (layout_.quickAccessSeparatorX >= 0) {
    Widgets::VerticalLine(dc, layout_.quickAccessSeparatorX, Scale(6), layout_.header.bottom - Scale(6),
                          palette.border);
  }
  for (const RibbonGroupBox& box : layout_.groups) {
    RECT caption = box.captionRect;
    SetTextColor(dc, palette.groupText);
    const std::wstring text = CaptionText::Plain(box.group->caption);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    Widgets::VerticalLine(dc, box.rect.right + Scale(2), box.rect.top + Scale(4), box.rect.bottom - Scale(4),
                          palette.border);
  }
  for (int i = 0; i < static_cast<int>(layout_.slots.size()); ++i) {
    PaintSlot(dc, layout_.slots[static_cast<std::size_t>(i)], i, palette);
  }
}

std::wstring Ribbon::Shown(const std::wstring& caption) const {
  // Access letters are underlined only while the keyboard asks for them;
  // otherwise the plain text is drawn (not every DrawText honours
  // DT_HIDEPREFIX).
  return showAccessKeys_ ? caption : CaptionText::Plain(caption);
}

void Ribbon::PaintSlot(HDC dc, const RibbonSlot& slot, int index, const Widgets::Palette& palette) {
  SlotLook look;
  look.hot = index == hot_;
  look.pressed = index == pressed_ && look.hot;
  look.focused = index == focus_ && GetFocus() == Hwnd();
  look.open = index == menuSlot_;
  look.prefix = showAccessKeys_ ? 0u : static_cast<UINT>(DT_NOPREFIX);
  switch (slot.part) {
    case RibbonPart::ApplicationButton:
      PaintApplicationButton(dc, slot, look, palette);
      return;
    case RibbonPart::Tab:
      PaintTab(dc, slot, look, palette);
      return;
    case RibbonPart::QuickAccess:
    case RibbonPart::Button:
    case RibbonPart::GroupMenu:
      PaintButton(dc, slot, look, palette);
      return;
  }
}

void Ribbon::PaintApplicationButton(HDC dc, const RibbonSlot& slot, const SlotLook& look,
                                    const Widgets::Palette& palette) {
  const RECT& r = slot.rect;
  Widgets::FillSolid(dc, r, (look.hot || look.open) ? palette.appButtonHot : palette.appButton);
  SetTextColor(dc, palette.appButtonText);
  const std::wstring caption = Shown(slot.command->caption);
  const int textWidth = Widgets::TextWidth(dc, font_.get(), CaptionText::Plain(caption));
  const HBITMAP image = Image(slot.command->imageId, layout_.metrics.smallImage);
  const int imageWidth = image ? layout_.metrics.smallImage + Scale(6) : 0;
  int x = r.left + (r.right - r.left - textWidth - imageWidth) / 2;
  if (image) {
    Widgets::DrawImage(dc, image, x, r.top + (r.bottom - r.top - layout_.metrics.smallImage) / 2,
                       layout_.metrics.smallImage);
    x += imageWidth;
  }
  RECT text{x, r.top, r.right, r.bottom};
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | look.prefix);
  if (look.focused) {
    RECT f = r;
    InflateRect(&f, -Scale(2), -Scale(2));
    Widgets::FrameSolid(dc, f, palette.appButtonText);
  }
}

void Ribbon::PaintTab(HDC dc, const RibbonSlot& slot, const SlotLook& look, const Widgets::Palette& palette) {
  RECT r = slot.rect;
  const bool selected = slot.index == selectedTab_;
  if (selected) {
    RECT fill = r;
    fill.bottom += 1;  // covers the header's bottom line: the tab opens into the body
    Widgets::FillSolid(dc, fill, palette.ribbonBack);
    Widgets::HorizontalLine(dc, r.left, r.right, r.top, palette.border);
    Widgets::VerticalLine(dc, r.left, r.top, r.bottom, palette.border);
    Widgets::VerticalLine(dc, r.right - 1, r.top, r.bottom, palette.border);
  } else if (look.hot) {
    RECT fill = r;
    fill.bottom -= 1;
    Widgets::FillSolid(dc, fill, palette.tabHot);
  }
  SetTextColor(dc, selected ? palette.appButton : palette.tabText);
  const std::wstring caption = Shown(slot.tab->caption);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | look.prefix);
  if (look.focused) {
    RECT f = r;
    InflateRect(&f, -Scale(3), -Scale(3));
    Widgets::FrameSolid(dc, f, palette.focusBorder);
  }
}

// A large or quick-access button, or a collapsed group's drop-down (the
// image of its first command, its caption and an arrow).
void Ribbon::PaintButton(HDC dc, const RibbonSlot& slot, const SlotLook& look, const Widgets::Palette& palette) {
  const RECT& r = slot.rect;
  if (look.pressed || look.open) {
    Widgets::FillSolid(dc, r, palette.pressedFill);
    Widgets::FrameSolid(dc, r, palette.pressedBorder);
  } else if (look.hot && pressed_ < 0) {
    Widgets::FillSolid(dc, r, palette.hotFill);
    Widgets::FrameSolid(dc, r, palette.hotBorder);
  }
  if (look.focused) Widgets::FrameSolid(dc, r, palette.focusBorder);
  const bool menu = slot.part == RibbonPart::GroupMenu;
  const int imageId = menu ? (slot.group && !slot.group->buttons.empty() ? slot.group->buttons.front().imageId : 0)
                           : slot.command->imageId;
  if (slot.part == RibbonPart::QuickAccess) {
    const int size = layout_.metrics.smallImage;
    Widgets::DrawImage(dc, Image(imageId, size), r.left + (r.right - r.left - size) / 2,
                       r.top + (r.bottom - r.top - size) / 2, size);
    return;
  }
  const int size = layout_.metrics.largeImage;
  Widgets::DrawImage(dc, Image(imageId, size), r.left + (r.right - r.left - size) / 2, r.top + Scale(4), size);
  SetTextColor(dc, palette.windowText);
  const int lineTop = r.top + Scale(4) + size + Scale(3);
  const int lh = layout_.metrics.lineHeight;
  const std::wstring line1 = Shown(slot.line1), line2 = Shown(slot.line2);
  RECT first{r.left + Scale(2), lineTop, r.right - Scale(2), lineTop + lh};
  DrawTextW(dc, line1.c_str(), static_cast<int>(line1.size()), &first, DT_CENTER | DT_TOP | DT_SINGLELINE | look.prefix);
  const int arrow = menu ? Scale(8) + (line2.empty() ? 0 : Scale(3)) : 0;
  const int textWidth = line2.empty() ? 0 : Widgets::TextWidth(dc, font_.get(), CaptionText::Plain(line2));
  const int left = r.left + (r.right - r.left - textWidth - arrow) / 2;
  if (!line2.empty()) {
    RECT second{left, lineTop + lh, left + textWidth + Scale(1), lineTop + 2 * lh};
    DrawTextW(dc, line2.c_str(), static_cast<int>(line2.size()), &second, DT_LEFT | DT_TOP | DT_SINGLELINE | look.prefix);
  }
  if (menu) {
    const RECT box{left + textWidth + arrow - Scale(12), lineTop + lh, left + textWidth + arrow + Scale(4), lineTop + 2 * lh};
    Widgets::DrawExpandGlyph(dc, box, true, palette.windowText);
  }
}
