#include <gtest/gtest.h>

#include "ui/widgets/CaptionText.h"

using namespace CaptionText;

TEST(WidgetsCaptionText, MarksAccessLettersAndLiteralAmpersands) {
  EXPECT_EQ(Plain(L"&File"), L"File");
  EXPECT_EQ(Plain(L"Backup && Restore"), L"Backup & Restore");
  EXPECT_EQ(Plain(L"A&&&B"), L"A&B");
  EXPECT_EQ(Plain(L"Trailing&"), L"Trailing");
  EXPECT_EQ(AccessLetter(L"&Delete"), L'D');
  EXPECT_EQ(AccessLetter(L"Add-on &file"), L'F');
  EXPECT_EQ(AccessLetter(L"Backup && Restore"), 0);
  EXPECT_EQ(AccessLetter(L"A&&&b"), L'B');
  EXPECT_EQ(AccessLetter(L"Google File Name"), 0);
  EXPECT_TRUE(MatchesAccessKey(L"&Refresh", L'r'));
  EXPECT_TRUE(MatchesAccessKey(L"&Refresh", L'R'));
  EXPECT_FALSE(MatchesAccessKey(L"Backup && Restore", L'R'));
}

TEST(WidgetsCaptionText, SplitsLongCaptionsIntoBalancedLines) {
  auto measure = [](const std::wstring& s) { return static_cast<int>(s.size()) * 7; };
  // Short captions and captions without a space stay whole.
  EXPECT_EQ(SplitInTwo(L"&Refresh", 56, measure), std::make_pair(std::wstring(L"&Refresh"), std::wstring()));
  EXPECT_EQ(SplitInTwo(L"Configurations", 56, measure).second, L"");
  // The split that makes the wider line narrowest wins.
  EXPECT_EQ(SplitInTwo(L"Add-on File Properties", 56, measure),
            std::make_pair(std::wstring(L"Add-on File"), std::wstring(L"Properties")));
  EXPECT_EQ(SplitInTwo(L"&Backup IE Configuration", 56, measure),
            std::make_pair(std::wstring(L"&Backup IE"), std::wstring(L"Configuration")));
  // Widths are those of the shown text: "&&" counts as one character.
  auto pair = SplitInTwo(L"Backup && Restore", 56, measure);
  EXPECT_EQ(pair.first, L"Backup &&");
  EXPECT_EQ(pair.second, L"Restore");
}
