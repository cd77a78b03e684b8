#pragma once
// Where each part of a ribbon goes, for a given width, DPI and font. Kept
// apart from the window so that painting, hit testing, tooltips and the
// accessible object all use one set of rectangles.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/widgets/RibbonModel.h"

enum class RibbonPart { ApplicationButton, QuickAccess, Tab, Button };

struct RibbonSlot {
  RibbonPart part = RibbonPart::Button;
  int index = 0;  // tab index for tabs
  const RibbonCommand* command = nullptr;  // null for tabs
  const RibbonTab* tab = nullptr;
  RECT rect{};
  std::wstring line1, line2;  // a large button's caption, wrapped
};

struct RibbonGroupBox {
  const RibbonGroup* group = nullptr;
  RECT rect{};         // the group, caption included
  RECT captionRect{};
  RECT searchBoxRect{};  // empty when the group has none
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

// font: the captions' font, selected into dc by the caller or not.
RibbonLayout LayOutRibbon(const RibbonModel& model, int selectedTab, int width, UINT dpi, HDC dc, HFONT font);
