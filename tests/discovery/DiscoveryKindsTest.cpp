// Each kind's whole listing of the fixture registry: every record's ID and
// every named value, in order, for the machine and for every kind of user
// hive.
#include <gtest/gtest.h>

#include "discovery/AddonWorld.h"
#include "engine/files/FileResolver.h"
#include "support/KindParams.h"
#include "support/LiveList.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

std::string Lines(const std::vector<ExpectedRecord>& records) {
  std::wstring text;
  for (const auto& r : records) text += L"  " + Describe(r) + L"\n";
  return Narrow(text);
}

void ExpectSame(const std::vector<ExpectedRecord>& actual, const std::vector<ExpectedRecord>& expected) {
  bool same = actual.size() == expected.size();
  for (std::size_t i = 0; same && i < actual.size(); ++i)
    same = actual[i].id == expected[i].id && actual[i].values == expected[i].values;
  EXPECT_TRUE(same) << "listed:\n" << Lines(actual) << "expected:\n" << Lines(expected);
}

void ExpectNeverListed(const AddonWorld& world, AddonKind kind, const CResultNodes& list) {
  for (std::size_t i = 1; i <= list.Count(); ++i)
    for (const auto& id : world.NeverListed(kind)) EXPECT_NE(list.Item(i)->ID, id);
}

}  // namespace

// Each kind of the program's table of kinds lists exactly the world's
// records of that kind, in order, and none of the names it must skip.
class DiscoveryKinds : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(DiscoveryKinds, ListsTheWholeWorldOfItsKind) {
  const discovery::AddonKind& kind = discovery::Kind(GetParam());
  const auto worldKind = static_cast<AddonKind>(kind.id);
  FileResolver files(true);
  AddonWorld world;
  const auto list = ListLive(kind, files);
  ASSERT_TRUE(list.has_value());
  const auto expected = world.Expected(worldKind);
  ASSERT_GE(expected.size(), 5u);
  ExpectSame(world.Filter(worldKind, *list), expected);
  ExpectNeverListed(world, worldKind, *list);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DiscoveryKinds, ::testing::ValuesIn(KindIds()), KindParamName());

TEST(DiscoveryKindsListing, ReadsAfreshEachTime) {
  FileResolver files(true);
  // Before the fixtures exist nothing of them is listed; afterwards every
  // routine finds them (an empty listing hides nothing later), and toolbar
  // names are numbered afresh in each listing.
  const auto before = ListLive(TableId::kMenuExtensions, files);
  ASSERT_TRUE(before.has_value());
  std::vector<std::wstring> toolbarIds;
  {
    AddonWorld world;
    EXPECT_TRUE(world.Filter(AddonKind::MenuExt, *before).empty());
    const auto menus = ListLive(TableId::kMenuExtensions, files);
    ASSERT_TRUE(menus.has_value());
    ExpectSame(world.Filter(AddonKind::MenuExt, *menus), world.Expected(AddonKind::MenuExt));

    const auto first = ListLive(TableId::kToolbars, files);
    const auto second = ListLive(TableId::kToolbars, files);
    ASSERT_TRUE(first && second);
    ExpectSame(world.Filter(AddonKind::Toolbar, *second), world.Filter(AddonKind::Toolbar, *first));
    for (const auto& r : world.Filter(AddonKind::Toolbar, *first)) toolbarIds.push_back(r.id);
    ASSERT_FALSE(toolbarIds.empty());
  }
  // The fixtures are gone again, and so are their rows.
  const auto after = ListLive(TableId::kToolbars, files);
  ASSERT_TRUE(after.has_value());
  for (std::size_t i = 1; i <= after->Count(); ++i)
    for (const auto& id : toolbarIds) EXPECT_NE(after->Item(i)->ID, id);
}
