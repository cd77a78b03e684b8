#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <memory>

#include "ui/dialogs/MessageOwner.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "ui/dialogs/ShowMessage.h"
#include "support/WindowProbe.h"
#include "support/TestSupport.h"
#include "ui/widgets/ImageStore.h"

using namespace qlmtest;

namespace {

// Shows the message on this thread while another thread answers it by
// pressing the button with that caption.
std::int32_t Answer(const std::wstring& caption, Dialog& seen, const std::wstring& text, std::int32_t buttons,
                    const std::wstring& title) {
  DialogAnswerer answer({caption});
  std::int32_t result = -2;
  try {
    result = core::ShowMessage(text, buttons, title);
  } catch (...) {
  }
  const auto& shown = answer.StopAndSeen();
  if (!shown.empty()) seen = shown[0];
  std::sort(seen.buttons.begin(), seen.buttons.end());
  return result;
}

// A plain top-level window stands in for the main window: it owns the
// messages and holds the Delete command's image they take their icon from.
class AppShowMessage : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    images_->AddImage(dialogs::kMessageIconCommand, GetModuleHandleW(nullptr), 1003);
    owner_ = CreateWindowExW(0, L"STATIC", L"   Quillmoor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 600, 400,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
    dialogs::SetMessageOwner({owner_, images_.get()});
  }
  void TearDown() override {
    dialogs::ClearMessageOwner(owner_);
    if (owner_) DestroyWindow(owner_);
    images_.reset();  // its images go before COM does
    CoUninitialize();
  }
  HWND owner_ = nullptr;
  std::unique_ptr<ImageStore> images_ = std::make_unique<ImageStore>();
};

}  // namespace

// One message after another: each shows its own text, title (the product
// name when none is given) and buttons only, and gives the pressed button's flag.
TEST_F(AppShowMessage, EachButtonSetGivesThePressedButtonsFlagAndNothingCarriesOver) {
  struct Case {
    std::int32_t buttons;
    std::vector<std::wstring> shown;  // sorted
    std::wstring press;
    std::int32_t expected;
  } cases[] = {
      {0, {L"OK"}, L"OK", 1},
      {6, {L"No", L"Yes"}, L"Yes", 2},
      {6, {L"No", L"Yes"}, L"No", 4},
      {9, {L"Cancel", L"OK"}, L"Cancel", 8},
      {15, {L"Cancel", L"No", L"OK", L"Yes"}, L"OK", 1},
      {1, {L"OK"}, L"OK", 1},
  };
  std::wstring previous = L"none before";
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "buttons " << c.buttons << ", pressing " << Narrow(c.press));
    const std::wstring text = L"Delete the toolbar " + std::to_wstring(&c - cases) + L"?";
    const std::wstring title = &c == std::end(cases) - 1 ? L"" : L"Delete";
    Dialog seen;
    EXPECT_EQ(Answer(c.press, seen, text, c.buttons, title), c.expected);
    EXPECT_TRUE(seen.answered);
    EXPECT_EQ(seen.buttons, c.shown);
    EXPECT_EQ(seen.owner, owner_);
    EXPECT_EQ(seen.title, title.empty() ? LoadStr(IDS_PRODUCT_NAME) : title);
    EXPECT_NE(seen.texts.find(text), std::wstring::npos) << Narrow(seen.texts);
    EXPECT_EQ(seen.texts.find(previous), std::wstring::npos) << Narrow(seen.texts);
    previous = text;
    // The icon is the Delete command's image from the owner's store.
    EXPECT_NE(seen.icon, nullptr);
    EXPECT_EQ(seen.icon, images_->Icon(dialogs::kMessageIconCommand, dialogs::kMessageIconSize));
  }
}

TEST(AppShowMessageNoWindow, WithoutAMainWindowTheCallerGetsAnError) {
  dialogs::SetMessageOwner({});
  try {
    core::ShowMessage(L"text");
    FAIL() << "no error raised";
  } catch (const QlmError& e) {
    EXPECT_EQ(e.Number(), 91);
  }
}
