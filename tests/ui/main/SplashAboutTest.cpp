// The splash and About windows. The splash going by itself is held by the
// process tests: the start waits for it before the main window shows.
#include <gtest/gtest.h>

#include "core/Strings.h"
#include "support/WindowProbe.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/SplashWindow.h"
#include "ui/main/MainWindowHarness.h"

using namespace mainwindowtest;
using namespace qlmtest;

TEST(UiSplash, AClickClosesIt) {
  ProgramState state;
  SplashWindow splash;
  ASSERT_TRUE(splash.Show());
  ASSERT_TRUE(splash.Visible());
  EXPECT_EQ(WindowText(splash.Hwnd()), L"Quillmoor");
  SendMessageW(splash.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_FALSE(splash.Visible());
  EXPECT_EQ(splash.Hwnd(), nullptr);
}

TEST(UiAboutBox, ShowsTheVersionAndClosesWithOkOrEscape) {
  ProgramState state;
  const std::wstring version = LoadStr(IDS_ABOUT_VERSION) + LoadStr(IDS_ABOUT_VERSION_NUMBER);
  const std::wstring legal = LoadStr(IDS_ABOUT_LEGAL);
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600, nullptr,
                               nullptr, nullptr, nullptr);
  for (const wchar_t* press : {L"OK", L""}) {
    SCOPED_TRACE(press[0] ? "OK" : "Escape");
    DialogAnswerer answer({press});
    AboutBox::ShowModal(owner);  // returns only once closed
    const auto seen = answer.StopAndSeen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, LoadStr(IDS_ABOUT_TITLE));
    EXPECT_EQ(seen[0].owner, owner);
    EXPECT_EQ(seen[0].buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_NE(seen[0].texts.find(version), std::wstring::npos) << Narrow(seen[0].texts);
    EXPECT_NE(seen[0].texts.find(legal.substr(0, legal.find(L'\r'))), std::wstring::npos);
  }
  DestroyWindow(owner);
}
