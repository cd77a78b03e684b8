#include <gtest/gtest.h>

#include "ui/widgets/CaptionText.h"

using namespace CaptionText;

// The ribbon tests use the program's captions; these are the edge cases
// none of them has.
TEST(WidgetsCaptionText, AccessLettersAmpersandsAndBalancedSplits) {
  EXPECT_EQ(Plain(L"A&&&B"), L"A&B");
  EXPECT_EQ(Plain(L"Trailing&"), L"Trailing");
  EXPECT_EQ(AccessLetter(L"Add-on &file"), L'F');
  EXPECT_EQ(AccessLetter(L"A&&&b"), L'B');
  EXPECT_EQ(AccessLetter(L"Backup && Restore"), 0);
  EXPECT_FALSE(MatchesAccessKey(L"Backup && Restore", L'R'));

  auto measure = [](const std::wstring& s) { return static_cast<int>(s.size()) * 7; };
  using Lines = std::pair<std::wstring, std::wstring>;
  EXPECT_EQ(SplitInTwo(L"&Refresh", 56, measure), Lines(L"&Refresh", L""));
  EXPECT_EQ(SplitInTwo(L"Configurations", 56, measure), Lines(L"Configurations", L""));
  // The split that makes the wider line narrowest wins; "&&" is one character wide.
  EXPECT_EQ(SplitInTwo(L"&Backup IE Configuration", 56, measure), Lines(L"&Backup IE", L"Configuration"));
  EXPECT_EQ(SplitInTwo(L"Backup && Restore", 56, measure), Lines(L"Backup &&", L"Restore"));
}
