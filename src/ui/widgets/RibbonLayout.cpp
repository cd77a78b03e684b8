#include "ui/widgets/RibbonLayout.h"

#include <algorithm>
#include <functional>

#include "ui/widgets/CaptionText.h"
#include "ui/widgets/WidgetWindow.h"

namespace {

struct Scaler {
  UINT dpi;
  int operator()(int px96) const { return MulDiv(px96, static_cast<int>(dpi), 96); }
};

using Measure = std::function<int(const std::wstring&)>;

// A group measured once: its large buttons (widths only; placed later) and
// the drop-down it becomes when collapsed.
struct MeasuredGroup {
  const RibbonGroup* group = nullptr;
  std::vector<RibbonSlot> buttons;
  int buttonsWidth = 0;  // the buttons side by side
  int captionWidth = 0;
  RibbonSlot menu;
};

// The text box's widths: as designed, the narrowest it gives way to before
// groups collapse, and the narrowest at all.
struct SearchWidths {
  int full, preferredLeast, least;
};

void LayOutHeader(const RibbonModel& model, const Scaler& s, const Measure& measure, RibbonLayout& layout) {
  const RibbonMetrics& m = layout.metrics;
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
  if (model.quickAccess.empty()) return;
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

// A large button's caption in at most two lines and the width they need;
// room is kept on the second line for a drop-down's arrow.
int WrapCaption(RibbonSlot& slot, const std::wstring& caption, int arrow, const Scaler& s, const Measure& measure) {
  auto lines = CaptionText::SplitInTwo(caption, s(56), measure);
  slot.line1 = std::move(lines.first);
  slot.line2 = std::move(lines.second);
  const int second = measure(CaptionText::Plain(slot.line2)) + (arrow && !slot.line2.empty() ? arrow + s(3) : arrow);
  return std::max(s(44), std::max(measure(CaptionText::Plain(slot.line1)), second) + s(8));
}

MeasuredGroup MeasureGroup(const RibbonGroup& group, int buttonHeight, int buttonTop, const Scaler& s,
                           const Measure& measure) {
  MeasuredGroup g;
  g.group = &group;
  for (const RibbonCommand& command : group.buttons) {
    RibbonSlot slot;
    slot.part = RibbonPart::Button;
    slot.command = &command;
    const int width = WrapCaption(slot, command.caption, 0, s, measure);
    slot.rect = {0, buttonTop, width, buttonTop + buttonHeight};
    if (!g.buttons.empty()) g.buttonsWidth += s(2);
    g.buttonsWidth += width;
    g.buttons.push_back(std::move(slot));
  }
  g.captionWidth = measure(CaptionText::Plain(group.caption));
  g.menu.part = RibbonPart::GroupMenu;
  g.menu.group = &group;
  const int width = WrapCaption(g.menu, group.caption, s(8), s, measure);
  g.menu.rect = {0, buttonTop, width, buttonTop + buttonHeight};
  return g;
}

int GroupWidth(const MeasuredGroup& g, bool collapsed, int searchWidth, const Scaler& s) {
  if (collapsed) return g.menu.rect.right + 2 * s(4);
  int inner = g.buttonsWidth;
  if (g.group->searchBoxId) inner += (g.buttons.empty() ? 0 : s(6)) + searchWidth;
  return std::max(inner + 2 * s(4), g.captionWidth + 2 * s(8));
}

// From the body's left margin to past the last group's divider.
int BodyWidth(const std::vector<MeasuredGroup>& groups, const std::vector<bool>& collapsed, int searchWidth,
              const Scaler& s) {
  int width = s(4);
  for (std::size_t i = 0; i < groups.size(); ++i) width += GroupWidth(groups[i], collapsed[i], searchWidth, s) + s(5);
  return width;
}

// How the groups fit width: the text box narrows first, then groups
// without one collapse from the right; what is left over goes back to the
// text box. Returns the text box's width.
int FitGroups(const std::vector<MeasuredGroup>& groups, int width, const SearchWidths& search, const Scaler& s,
              std::vector<bool>& collapsed) {
  collapsed.assign(groups.size(), false);
  const int over = BodyWidth(groups, collapsed, search.full, s) - width;
  if (over <= 0) return search.full;
  int searchWidth = std::max(search.preferredLeast, search.full - over);
  for (std::size_t i = groups.size(); i-- > 0;) {
    if (BodyWidth(groups, collapsed, searchWidth, s) <= width) break;
    if (!groups[i].group->searchBoxId) collapsed[i] = true;
  }
  const int spare = width - BodyWidth(groups, collapsed, searchWidth, s);
  return spare >= 0 ? std::min(search.full, searchWidth + spare) : std::max(search.least, searchWidth + spare);
}

void PlaceGroup(MeasuredGroup& g, bool collapsed, int x, int searchWidth, const Scaler& s, RibbonLayout& layout) {
  const RibbonMetrics& m = layout.metrics;
  const int groupWidth = GroupWidth(g, collapsed, searchWidth, s);
  RibbonGroupBox box;
  box.group = g.group;
  box.collapsed = collapsed;
  box.rect = {x, layout.body.top, x + groupWidth, layout.body.bottom};
  auto place = [&](RibbonSlot& slot, int left) {
    const int w = slot.rect.right;
    slot.index = static_cast<int>(layout.slots.size());
    slot.rect.left = left;
    slot.rect.right = left + w;
    layout.slots.push_back(std::move(slot));
    return left + w;
  };
  if (collapsed) {
    place(g.menu, x + s(4));
    layout.groups.push_back(box);
    return;
  }
  const int searchPart = g.group->searchBoxId ? (g.buttons.empty() ? 0 : s(6)) + searchWidth : 0;
  int bx = x + (groupWidth - g.buttonsWidth - searchPart) / 2;
  const int buttonTop = g.menu.rect.top, buttonHeight = g.menu.rect.bottom - g.menu.rect.top;
  for (RibbonSlot& slot : g.buttons) bx = place(slot, bx) + s(2);
  if (g.group->searchBoxId) {
    if (!g.buttons.empty()) bx += s(4);
    // Centred on the buttons' height.
    const int height = m.lineHeight + s(8);
    const int top = buttonTop + (buttonHeight - height) / 2;
    box.searchBoxRect = {bx, top, bx + searchWidth, top + height};
  }
  const int captionTop = buttonTop + buttonHeight;
  box.captionRect = {x, captionTop, x + groupWidth, captionTop + m.groupCaptionHeight};
  layout.groups.push_back(box);
}

}  // namespace

std::wstring SlotCaption(const RibbonSlot& slot) {
  if (slot.command) return slot.command->caption;
  if (slot.group) return slot.group->caption;
  return slot.tab ? slot.tab->caption : std::wstring();
}

RibbonLayout LayOutRibbon(const RibbonModel& model, int selectedTab, int width, UINT dpi, HDC dc, HFONT font) {
  const Scaler s{dpi};
  RibbonLayout layout;
  const Measure measure = [&](const std::wstring& text) { return Widgets::TextWidth(dc, font, text); };

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
  LayOutHeader(model, s, measure, layout);

  // Body: the selected tab's groups of large buttons.
  if (selectedTab < 0 || selectedTab >= static_cast<int>(model.tabs.size())) return layout;
  std::vector<MeasuredGroup> groups;
  int cue = 0;  // the text boxes give way down to their cue's width before groups collapse
  for (const RibbonGroup& group : model.tabs[static_cast<std::size_t>(selectedTab)].groups) {
    groups.push_back(MeasureGroup(group, buttonHeight, layout.body.top + s(3), s, measure));
    if (group.searchBoxId) cue = std::max(cue, measure(group.searchCue) + s(14));
  }
  std::vector<bool> collapsed;
  const SearchWidths search{s(180), std::min(s(180), std::max(s(110), cue)), s(48)};
  const int searchWidth = FitGroups(groups, width, search, s, collapsed);
  int x = s(4);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    PlaceGroup(groups[i], collapsed[i], x, searchWidth, s, layout);
    x = layout.groups.back().rect.right + s(5);
  }
  return layout;
}
