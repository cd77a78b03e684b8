#include <gtest/gtest.h>

#include <memory>

#include "WidgetHost.h"
#include "ui/widgets/DockPanes.h"

using namespace uitest;

namespace {

constexpr int kLeft = DockPanes::kLeftPane, kMain = DockPanes::kMainPane, kBottom = DockPanes::kBottomPane;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

struct PanesWorld {
  HostWindow host;
  DockPanes panes;
  HWND content[3] = {};
  const wchar_t* titles[3] = {L"All Browser Objects", L"Table", L"Properties"};
  explicit PanesWorld(UINT dpi = 0) {
    EXPECT_TRUE(panes.Create(host.Hwnd(), 200));
    if (dpi) panes.SetDpiOverride(dpi);
    RECT client{};
    GetClientRect(host.Hwnd(), &client);
    SetWindowPos(panes.Hwnd(), nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER);
    for (int i = 0; i < 3; ++i) {
      content[i] = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, host.Hwnd(), nullptr,
                                   nullptr, nullptr);
      panes.SetPane(i, titles[i], content[i]);
    }
    Pump();
  }
  // Every content window fills its pane below the title bar, and the
  // panes tile the client area without overlapping.
  void ExpectTiled() const {
    RECT client{};
    GetClientRect(panes.Hwnd(), &client);
    for (int id = 0; id < DockPanes::kPaneCount; ++id) {
      RECT r{};
      GetWindowRect(content[id], &r);
      MapWindowPoints(nullptr, panes.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ(r, panes.ContentRect(id)) << id;
      EXPECT_EQ(GetParent(content[id]), panes.Hwnd());
      EXPECT_EQ(panes.TitleRect(id).bottom, panes.ContentRect(id).top) << id;
    }
    const RECT left = panes.PaneRect(kLeft), main = panes.PaneRect(kMain), bottom = panes.PaneRect(kBottom);
    EXPECT_TRUE(left.left == 0 && Height(left) == client.bottom && left.right <= main.left);
    EXPECT_EQ(main.left, panes.SplitterRect(DockPanes::Splitter::Vertical).right);
    EXPECT_TRUE(main.right == client.right && bottom.left == main.left && main.bottom <= bottom.top);
    EXPECT_EQ(bottom.top, panes.SplitterRect(DockPanes::Splitter::Horizontal).bottom);
    EXPECT_EQ(bottom.bottom, client.bottom);
  }
};

}  // namespace

TEST(WidgetsDockPanes, StartsAtItsSizesWithTitlesForAssistiveTechnology) {
  PanesWorld w;
  EXPECT_EQ(Width(w.panes.PaneRect(kLeft)), 200);
  w.ExpectTiled();
  auto acc = w.panes.Accessible();
  ASSERT_EQ(AccChildCount(acc.Get()), 3);
  for (long child = 1; child <= 3; ++child) {
    EXPECT_EQ(AccName(acc.Get(), child), w.titles[child - 1]);
    EXPECT_EQ(AccRole(acc.Get(), child), ROLE_SYSTEM_TITLEBAR);
    EXPECT_EQ(AccLocation(acc.Get(), child), ToScreen(w.panes.Hwnd(), w.panes.TitleRect(static_cast<int>(child) - 1)));
  }
  // The default action of a title bar puts the keyboard in its pane.
  EXPECT_EQ(AccDoDefault(acc.Get(), 3), S_OK);
  Pump();
  EXPECT_EQ(GetFocus(), w.content[2]);

  // At 144 DPI the same layout is half as large again.
  PanesWorld hi(144);
  EXPECT_EQ(Width(hi.panes.PaneRect(kLeft)), 300);
  EXPECT_EQ(Height(hi.panes.PaneRect(kBottom)), Height(w.panes.PaneRect(kBottom)) * 3 / 2);
  EXPECT_GT(Height(hi.panes.TitleRect(kLeft)), Height(w.panes.TitleRect(kLeft)));
  hi.ExpectTiled();
}

TEST(WidgetsDockPanes, SplittersResizeWithinLimitsAndSizesSurviveWindowResizes) {
  PanesWorld w;
  const HWND panes = w.panes.Hwnd();
  auto splitter = [&](DockPanes::Splitter which) { return Center(w.panes.SplitterRect(which)); };
  const int bottom = Height(w.panes.PaneRect(kBottom));
  const POINT v = splitter(DockPanes::Splitter::Vertical), h = splitter(DockPanes::Splitter::Horizontal);
  Drag(panes, v, POINT{v.x + 50, v.y});
  EXPECT_EQ(Width(w.panes.PaneRect(kLeft)), 250);
  Drag(panes, h, POINT{h.x, h.y - 40});
  EXPECT_EQ(Height(w.panes.PaneRect(kBottom)), bottom + 40);
  w.ExpectTiled();

  // Dragging past either side stops where both panes keep a usable size.
  Drag(panes, splitter(DockPanes::Splitter::Vertical), POINT{5000, v.y});
  EXPECT_GE(Width(w.panes.PaneRect(kMain)), 80);
  Drag(panes, splitter(DockPanes::Splitter::Vertical), POINT{-500, v.y});
  EXPECT_GE(Width(w.panes.PaneRect(kLeft)), 60);
  Drag(panes, splitter(DockPanes::Splitter::Vertical), POINT{250 + 2, v.y});  // back to about 250
  const int chosen = Width(w.panes.PaneRect(kLeft));
  w.ExpectTiled();

  // A narrow window squeezes the left pane; widening gives its width back.
  SetWindowPos(panes, nullptr, 0, 0, 260, 300, SWP_NOZORDER | SWP_NOMOVE);
  Pump();
  EXPECT_LT(Width(w.panes.PaneRect(kLeft)), chosen);
  EXPECT_GE(Width(w.panes.PaneRect(kMain)), 80);
  w.ExpectTiled();
  SetWindowPos(panes, nullptr, 0, 0, 963, 501, SWP_NOZORDER | SWP_NOMOVE);
  Pump();
  EXPECT_EQ(Width(w.panes.PaneRect(kLeft)), chosen);
  EXPECT_EQ(Height(w.panes.PaneRect(kBottom)), bottom + 40);
  w.ExpectTiled();

  // A press outside the splitters starts no drag.
  const RECT title = w.panes.TitleRect(kMain);
  Drag(panes, Center(title), POINT{Center(title).x + 100, Center(title).y});
  EXPECT_EQ(Width(w.panes.PaneRect(kLeft)), chosen);
}
