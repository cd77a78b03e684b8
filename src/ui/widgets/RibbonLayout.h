#pragma once
// Where each part of a ribbon goes, for a given width, DPI and font. Kept
// apart from the window so that painting, hit testing, tooltips and the
// accessible object all use one set of rectangles. Everything stays inside
// the width: as it falls, a group's text box narrows, then groups without
// one collapse, from the right, into a drop-down of their commands.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/widgets/RibbonModel.h"

enum class RibbonPart { ApplicationButton, QuickAccess, Tab, Button, GroupMenu };

struct RibbonSlot {
  RibbonPart part = RibbonPart::Button;
  int index = 0;  // tab index for tabs
  const RibbonCommand* command = nullptr;  // null for tabs and group menus
  const RibbonTab* tab = nullptr;
  const RibbonGroup* group = nullptr;  // the collapsed group a GroupMenu opens
  RECT rect{};
  std::wstring line1, line2;  // a large button's caption, wrapped
};

struct RibbonGroupBox {
  const RibbonGroup* group = nullptr;
  RECT rect{};         // the group, caption included
  RECT captionRect{};     // empty when collapsed: its drop-down names it
  RECT searchBoxRect{};  // empty when the group has none
  bool collapsed = false;
};

struct RibbonMetrics {
  int headerHeight, bodyHeight, height;
  int largeImage, smallImage;
  int groupCaptionHeight, lineHeight;
};

struct RibbonLayout {
  RibbonMetrics metrics{};
  RECT header{};
  RECT body{};
  int quickAccessSeparatorX = -1;
  std::vector<RibbonSlot> slots;
  std::vector<RibbonGroupBox> groups;
};

// The caption a slot shows, access marks included: a command's, a tab's,
// or a collapsed group's.
std::wstring SlotCaption(const RibbonSlot& slot);

// font: the captions' font, selected into dc by the caller or not.
RibbonLayout LayOutRibbon(const RibbonModel& model, int selectedTab, int width, UINT dpi, HDC dc, HFONT font);
