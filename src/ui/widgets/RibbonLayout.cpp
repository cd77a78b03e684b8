#include "ui/widgets/RibbonLayout.h"

#include <algorithm>

#include "ui/widgets/CaptionText.h"
#include "ui/widgets/WidgetWindow.h"

namespace {

struct Scaler {
  UINT dpi;
  int operator()(int px96) const { return MulDiv(px96, static_cast<int>(dpi), 96); }
};

}  // namespace

RibbonLayout LayOutRibbon(const RibbonModel& model, int selectedTab, int width, UINT dpi, HDC dc, HFONT font) {
  const Scaler s{dpi};
  RibbonLayout layout;
  auto measure = [&](const std::wstring& text) { return Widgets::TextWidth(dc, font, text); };

  RibbonMetrics& m = layout.metrics;
  m.lineHeight = Widgets::LineHeight(dc, font);
  m.largeImage = s(32);
  m.smallImage = s(16);
  m.headerHeight = std::max(s(26), m.lineHeight + s(10));
  const int buttonHeight = s(4) + m.largeImage + s(3) + 2 * m.lineHeight + s(3);
  m.groupCaptionHeight = m.lineHeight + s(6);
  m.bodyHeight = s(3) + buttonHeight + m.groupCaptionHeight + s(2);
  m.height = m.headerHeight + m.bodyHeight + 1;  // the last row is the bottom border
  layout.header = {0, 0, width, m.headerHeight};
  layout.body = {0, m.headerHeight, width, m.height - 1};

  // Header: application button, tabs, quick-access buttons.
  int x = 0;
  if (!model.applicationButton.caption.empty() || model.applicationButton.imageId) {
    RibbonSlot slot;
    slot.part = RibbonPart::ApplicationButton;
    slot.command = &model.applicationButton;
    const int textWidth = measure(CaptionText::Plain(model.applicationButton.caption));
    const int imageWidth = model.applicationButton.imageId ? m.smallImage + s(6) : 0;
    slot.rect = {0, 0, std::max(s(56), textWidth + imageWidth + s(28)), m.headerHeight};
    x = slot.rect.right + s(2);
    layout.slots.push_back(std::move(slot));
  }
  for (std::size_t i = 0; i < model.tabs.size(); ++i) {
    RibbonSlot slot;
    slot.part = RibbonPart::Tab;
    slot.index = static_cast<int>(i);
    slot.tab = &model.tabs[i];
    const int textWidth = measure(CaptionText::Plain(model.tabs[i].caption));
    slot.rect = {x, s(3), x + textWidth + s(24), m.headerHeight};
    x = slot.rect.right;
    layout.slots.push_back(std::move(slot));
  }
  if (!model.quickAccess.empty()) {
    x += s(8);
    layout.quickAccessSeparatorX = x;
    x += s(8);
    const int size = s(24);
    const int top = (m.headerHeight - size) / 2;
    for (std::size_t i = 0; i < model.quickAccess.size(); ++i) {
      RibbonSlot slot;
      slot.part = RibbonPart::QuickAccess;
      slot.index = static_cast<int>(i);
      slot.command = &model.quickAccess[i];
      slot.rect = {x, top, x + size, top + size};
      x += size + s(2);
      layout.slots.push_back(std::move(slot));
    }
  }

  // Body: the selected tab's groups of large buttons.
  if (selectedTab < 0 || selectedTab >= static_cast<int>(model.tabs.size())) return layout;
  const int buttonTop = layout.body.top + s(3);
  const int captionTop = buttonTop + buttonHeight;
  x = s(4);
  for (const RibbonGroup& group : model.tabs[static_cast<std::size_t>(selectedTab)].groups) {
    std::vector<RibbonSlot> buttons;
    int buttonsWidth = 0;
    for (const RibbonCommand& command : group.buttons) {
      RibbonSlot slot;
      slot.part = RibbonPart::Button;
      slot.index = static_cast<int>(layout.slots.size() + buttons.size());
      slot.command = &command;
      auto lines = CaptionText::SplitInTwo(command.caption, s(56), measure);
      slot.line1 = std::move(lines.first);
      slot.line2 = std::move(lines.second);
      const int textWidth =
          std::max(measure(CaptionText::Plain(slot.line1)), measure(CaptionText::Plain(slot.line2)));
      const int buttonWidth = std::max(s(44), textWidth + s(14));
      slot.rect = {0, buttonTop, buttonWidth, buttonTop + buttonHeight};
      if (!buttons.empty()) buttonsWidth += s(2);
      buttonsWidth += buttonWidth;
      buttons.push_back(std::move(slot));
    }
    // The text box goes after the buttons, centred on the buttons' height.
    const int searchWidth = group.searchBoxId ? s(180) : 0;
    const int searchHeight = m.lineHeight + s(8);
    if (searchWidth) buttonsWidth += (buttons.empty() ? 0 : s(6)) + searchWidth;
    const int captionWidth = measure(CaptionText::Plain(group.caption));
    const int groupWidth = std::max(buttonsWidth + 2 * s(4), captionWidth + 2 * s(8));
    int bx = x + (groupWidth - buttonsWidth) / 2;
    for (RibbonSlot& slot : buttons) {
      const int w = slot.rect.right;
      slot.rect.left = bx;
      slot.rect.right = bx + w;
      bx += w + s(2);
      layout.slots.push_back(std::move(slot));
    }
    RibbonGroupBox box;
    if (searchWidth) {
      if (!buttons.empty()) bx += s(4);
      const int top = buttonTop + (buttonHeight - searchHeight) / 2;
      box.searchBoxRect = {bx, top, bx + searchWidth, top + searchHeight};
    }
    box.group = &group;
    box.rect = {x, layout.body.top, x + groupWidth, layout.body.bottom};
    box.captionRect = {x, captionTop, x + groupWidth, captionTop + m.groupCaptionHeight};
    layout.groups.push_back(box);
    x += groupWidth + s(1) + s(4);
  }
  return layout;
}
