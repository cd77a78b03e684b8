// The main window's fitting rules that need no window: texts shortened in
// the middle, the lists' column widths, and which remembered places are
// used again.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ui/main/WindowPlaceRules.h"
#include "ui/tables/ColumnFit.h"
#include "ui/widgets/TextFit.h"

namespace {

// One unit per code unit: a shortened text is exactly as wide as allowed.
struct CountingMeasure {
  std::size_t calls = 0, longest = 0;
  int operator()(const std::wstring& text) {
    ++calls;
    longest = std::max(longest, text.size());
    return static_cast<int>(text.size());
  }
};

bool SplitsNoPair(const std::wstring& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF, low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
    if (high && (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)) return false;
    if (low && (i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF)) return false;
  }
  return true;
}

}  // namespace

TEST(TextFit, KeepsBothEndsAsFarAsTheWidthAllowsAndNeverSplitsAPair) {
  const std::wstring pair = L"\xD83D\xDE00";  // one character, two code units
  for (const std::wstring& text : {std::wstring(L"C:\\Program Files\\Maker\\addon.dll"), pair + L"abc" + pair + pair,
                                   std::wstring(L"x"), std::wstring(300, L'w') + std::wstring(L"\n\0end", 5)}) {
    for (int width = 0; width <= static_cast<int>(text.size()) + 1; ++width) {
      CountingMeasure measure;
      const std::wstring shown =
          TextFit::ShortenInMiddle(text, width, [&](const std::wstring& t) { return measure(t); });
      SCOPED_TRACE(width);
      if (width >= static_cast<int>(text.size())) {
        EXPECT_EQ(shown, text);
        continue;
      }
      const std::size_t at = shown.find(TextFit::kEllipsis);
      ASSERT_NE(at, std::wstring::npos);
      const std::wstring head = shown.substr(0, at), tail = shown.substr(at + 1);
      EXPECT_EQ(text.rfind(head, 0), 0u);
      EXPECT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0);
      EXPECT_TRUE(SplitsNoPair(shown));
      // As wide as allowed, or one less where a pair would have been split.
      EXPECT_LE(static_cast<int>(shown.size()), std::max(width, 1));
      EXPECT_GE(static_cast<int>(shown.size()), width - 2);
      EXPECT_GE(head.size() + 1, tail.size());
    }
  }
  // A path keeps its file name and as much of its start as fits; too narrow
  // for the name, it is shortened in the middle like any text.
  const std::wstring path = L"C:\\Program Files\\Maker\\addon.dll";
  const auto units = [](const std::wstring& t) { return static_cast<int>(t.size()); };
  EXPECT_EQ(TextFit::ShortenPath(path, 20, units), L"C:\\Progra\u2026\\addon.dll");
  EXPECT_EQ(TextFit::ShortenPath(path, 9, units), TextFit::ShortenInMiddle(path, 9, units));
  EXPECT_EQ(TextFit::ShortenPath(path, 99, units), path);

  // A hostile megabyte of text costs a few measurements of short texts.
  CountingMeasure measure;
  const std::wstring huge(1 << 20, L'a');
  const std::wstring shown = TextFit::ShortenPath(huge, 200, [&](const std::wstring& t) { return measure(t); });
  EXPECT_EQ(shown.size(), 200u);
  EXPECT_LE(measure.calls, 20u);
  EXPECT_LE(measure.longest, 4097u);
}

TEST(ColumnFit, SharedColumnsKeepTheirCaptionAndGiveWayInOrderBeforeANameGoesBelowItsMinimum) {
  // Names share what is left equally. The fit is checked against its
  // promise over many random lists.
  const tables::NameRule halves = [](int width, int count) { return std::vector<int>(count, width / count); };
  std::mt19937 random(7);
  auto draw = [&](int most) { return static_cast<int>(random() % static_cast<unsigned>(most + 1)); };
  for (int round = 0; round < 3000; ++round) {
    SCOPED_TRACE(round);
    std::vector<tables::ColumnNeed> needs;
    const int names = 1 + draw(1), shared = draw(7), minimum = 140, listWidth = draw(1500);
    for (int i = 0; i < names + shared; ++i) needs.push_back({i < names, draw(120), draw(600), draw(400), draw(1) == 1});
    const std::vector<int> widths = tables::FitColumns(listWidth, needs, minimum, halves);
    ASSERT_EQ(widths.size(), needs.size());
    int total = 0, wanted = names * minimum;
    bool lastGaveWay = false, firstAtCaptions = true, allAtCaptions = true;
    for (std::size_t i = 0; i < needs.size(); ++i) {
      const auto& need = needs[i];
      total += widths[i];
      if (need.name) continue;
      const int want = std::max(need.caption, std::min(need.widest, need.limit));
      wanted += want;
      EXPECT_GE(widths[i], need.caption);
      EXPECT_LE(widths[i], want);
      if (need.givesWayLast && widths[i] < want) lastGaveWay = true;
      if (!need.givesWayLast && widths[i] > need.caption) firstAtCaptions = false;
      if (widths[i] > need.caption) allAtCaptions = false;
    }
    for (int i = 0; i < names; ++i) EXPECT_GE(widths[i], minimum);
    // Room for all: every shared column as wanted, the names fill the list.
    if (wanted <= listWidth) EXPECT_TRUE(total >= listWidth - names && total <= listWidth) << total;
    // Publisher and file give way only after the others are at their captions.
    if (lastGaveWay) EXPECT_TRUE(firstAtCaptions);
    // Sideways scrolling only once every column is at its least.
    if (total > listWidth) {
      EXPECT_TRUE(allAtCaptions);
      for (int i = 0; i < names; ++i) EXPECT_EQ(widths[i], minimum);
    }
  }
}

TEST(WindowPlaceRules, AnyMissingOrUnreasonableValueGivesTheFirstSize) {
  using windowplace::StoredPlace;
  const windowplace::Place good{-1500, 40, 1000, 700, true, 230, 180};  // on a screen left of the main one
  const StoredPlace stored = windowplace::ToStored(good);
  const auto back = windowplace::CheckStoredPlace(stored, 740, 420);
  ASSERT_TRUE(back);
  EXPECT_EQ(windowplace::ToStored(*back).left, stored.left);
  EXPECT_TRUE(back->left == -1500 && back->width == 1000 && back->maximized && back->detailsHeight == 180);

  using Field = std::optional<std::uint32_t> StoredPlace::*;
  const std::pair<Field, std::optional<std::uint32_t>> bad[] = {
      {&StoredPlace::left, std::nullopt},       {&StoredPlace::top, static_cast<std::uint32_t>(-32000)},
      {&StoredPlace::left, 0x7FFFFFFF},         {&StoredPlace::width, 739},
      {&StoredPlace::width, 0xFFFFFFFF},        {&StoredPlace::height, 40000},
      {&StoredPlace::maximized, 2},             {&StoredPlace::treeWidth, 0},
      {&StoredPlace::detailsHeight, 0x80000000}, {&StoredPlace::detailsHeight, std::nullopt}};
  for (const auto& [field, value] : bad) {
    StoredPlace hostile = stored;
    hostile.*field = value;
    EXPECT_FALSE(windowplace::CheckStoredPlace(hostile, 740, 420)) << (value ? *value : 0u);
  }
}
