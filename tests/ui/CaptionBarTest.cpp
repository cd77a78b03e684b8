#include <gtest/gtest.h>

#include "WidgetHost.h"
#include "ui/widgets/CaptionBar.h"

using namespace uitest;

TEST(WidgetsCaptionBar, TwelvePointSizedForTheFontAtEachDpi) {
  HostWindow host;
  CaptionBar bar;
  ASSERT_TRUE(bar.Create(host.Hwnd(), 400, L"Toolbars"));
  LOGFONTW lf{};
  GetObjectW(bar.Font(), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfHeight, -16);  // 12 point at 96 DPI
  const int height96 = bar.PreferredHeight();
  EXPECT_GE(height96, 18);
  EXPECT_LE(height96, 30);

  bar.SetDpiOverride(144);
  GetObjectW(bar.Font(), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfHeight, -24);
  EXPECT_NEAR(bar.PreferredHeight(), height96 * 3 / 2, 3);

  bar.SetText(L"All Add-ons");
  auto acc = bar.Accessible();
  EXPECT_EQ(AccName(acc.Get(), CHILDID_SELF), L"All Add-ons");
  EXPECT_EQ(AccRole(acc.Get(), CHILDID_SELF), ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(AccChildCount(acc.Get()), 0);
}
