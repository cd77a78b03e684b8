// The messages' buttons, results, titles, owner and icon are checked where
// the program shows them (UiTablesKinds, MainWindowCommands); here the two
// edges no window test reaches.
#include <gtest/gtest.h>

#include "core/QlmError.h"
#include "support/WindowProbe.h"
#include "ui/dialogs/MessageOwner.h"
#include "ui/dialogs/ShowMessage.h"

using namespace qlmtest;

TEST(AppShowMessage, NoButtonsGiveOkAndWithoutAMainWindowTheCallerGetsAnError) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"   Quillmoor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  dialogs::SetMessageOwner({owner, nullptr});
  {
    DialogAnswerer answer({L"OK"});
    EXPECT_EQ(core::ShowMessage(L"No buttons asked", 0, L"Title"), core::kButtonOK);
    const auto seen = answer.StopAndSeen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(seen[0].title, L"Title");
  }
  dialogs::ClearMessageOwner(owner);
  DestroyWindow(owner);
  dialogs::SetMessageOwner({});
  try {
    core::ShowMessage(L"text");
    FAIL() << "no error raised";
  } catch (const QlmError& e) {
    EXPECT_EQ(e.Number(), 91);
  }
}
