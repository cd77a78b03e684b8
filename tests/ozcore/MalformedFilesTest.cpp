// Add-on files whose resources are written with lengths that run past their
// block: the readers keep what is well-formed and never read outside it.
#include <gtest/gtest.h>

#include "engine/files/IndirectString.h"
#include "ozcore/CUtilities.h"
#include "support/TestSupport.h"

using qlmtest::FixtureFolder;

namespace {

TEST(MalformedFiles, VersionStringsKeepOnlyTheWellFormedPart) {
  // A string whose length runs past its table and the resource: the string
  // before it stays, it and the one after it are lost.
  const auto bad = CUtilities::GetVersionStrings(FixtureFolder() + L"\\fx_badversion.dll");
  EXPECT_EQ(bad.Item(L"CompanyName"), L"Bad Version Maker");
  EXPECT_FALSE(bad.Exists(L"ProductName"));
  EXPECT_FALSE(bad.Exists(L"FileVersion"));
  EXPECT_EQ(bad.Count(), 1u);

  // A root that claims more than its resource: nothing.
  EXPECT_EQ(CUtilities::GetVersionStrings(FixtureFolder() + L"\\fx_badversionroot.dll").Count(), 0u);
  EXPECT_EQ(CUtilities::GetVersionStrings(FixtureFolder() + L"\\fx_badstrings.dll").Count(), 0u);

  // Well-formed files still give all their strings.
  const auto good = CUtilities::GetVersionStrings(FixtureFolder() + L"\\fx_company.dll");
  EXPECT_EQ(good.Item(L"CompanyName"), L"Fixture Makers Ltd");
  EXPECT_EQ(good.Item(L"FileVersion"), L"3.1.4.1");
  EXPECT_EQ(good.Item(L"ProductVersion"), L"3.1");
  EXPECT_EQ(good.Item(L"ProductName"), L"Fixture Product");
  EXPECT_EQ(good.Count(), 4u);
  EXPECT_EQ(CUtilities::GetVersionStrings(FixtureFolder() + L"\\fx_strings.dll").Item(L"CompanyName"),
            L"Indirect Strings Inc");
}

TEST(MalformedFiles, IndirectStringsFromABlockWithACountPastItsEnd) {
  const std::wstring bad = L"@" + FixtureFolder() + L"\\fx_badstrings.dll,-";
  EXPECT_EQ(discovery::LoadIndirectString(bad + L"96"), L"Good");
  // Empty, counted past the block, and after that count: the text as it is.
  for (const wchar_t* number : {L"97", L"98", L"99", L"111"})
    EXPECT_EQ(discovery::LoadIndirectString(bad + number), bad + number);
  // The file's well-formed block is read as usual, and so are good files.
  EXPECT_EQ(discovery::LoadIndirectString(bad + L"200"), L"Well-formed block");
  const std::wstring good = L"@" + FixtureFolder() + L"\\fx_strings.dll,-";
  EXPECT_EQ(discovery::LoadIndirectString(good + L"101"), L"Fixture &Button");
  EXPECT_EQ(discovery::LoadIndirectString(good + L"104"),
            L"Schaltfl\u00E4che \u041A\u043D\u043E\u043F\u043A\u0430 \u6309\u94AE");
}

}  // namespace
