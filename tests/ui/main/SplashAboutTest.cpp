// The splash and About windows.
#include <gtest/gtest.h>

#include "core/Strings.h"

#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/SplashWindow.h"
#include "support/WindowProbe.h"
#include "ui/main/MainWindowHarness.h"

using namespace mainwindowtest;
using namespace qlmtest;

TEST(UiSplash, ShowsCentredAndClosesByItselfOrOnAClick) {
  ProgramState state;
  {
    SplashWindow splash;
    ASSERT_TRUE(splash.Show());
    ASSERT_TRUE(splash.Visible());
    EXPECT_EQ(WindowText(splash.Hwnd()), L"Quillmoor");
    // Goes by itself: wait for it as start-up does (the guard is far
    // beyond the splash's second).
    const ULONGLONG guard = GetTickCount64() + 30000;
    while (splash.Visible() && GetTickCount64() < guard) {
      Pump();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_FALSE(splash.Visible());
  }
  {
    SplashWindow splash;
    ASSERT_TRUE(splash.Show());
    SendMessageW(splash.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_FALSE(splash.Visible());
    EXPECT_EQ(splash.Hwnd(), nullptr);
  }
}

TEST(UiAboutBox, ShowsTheVersionAndClosesWithOkOrEscape) {
  ProgramState state;
  const std::wstring version = LoadStr(IDS_ABOUT_VERSION) + LoadStr(IDS_ABOUT_VERSION_NUMBER);
  EXPECT_EQ(AboutBox::AboutText().rfind(version + L"\r\n\r\n", 0), 0u);
  EXPECT_EQ(AboutBox::AboutText().substr(AboutBox::AboutText().size() - 2), L"\r\n");

  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600, nullptr,
                               nullptr, nullptr, nullptr);
  for (const wchar_t* press : {L"OK", L""}) {
    SCOPED_TRACE(press[0] ? "OK" : "Escape");
    DialogAnswerer answer({press});
    AboutBox::ShowModal(owner);  // returns only once closed
    const auto seen = answer.StopAndSeen();
    ASSERT_EQ(seen.size(), 1u);
    const Dialog& about = seen[0];
    EXPECT_EQ(about.title, LoadStr(IDS_ABOUT_TITLE));
    EXPECT_EQ(about.owner, owner);
    EXPECT_EQ(about.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_NE(about.texts.find(version), std::wstring::npos) << Narrow(about.texts);
    const std::wstring legal = LoadStr(IDS_ABOUT_LEGAL);
    EXPECT_NE(about.texts.find(legal.substr(0, legal.find(L'\r'))), std::wstring::npos);
  }
  DestroyWindow(owner);
}
