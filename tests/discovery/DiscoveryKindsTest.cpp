// Each kind's whole listing of the fixture registry: every record's ID and
// every named value, in order, for the machine and for every kind of user
// hive.
#include <gtest/gtest.h>

#include "core/ProcessState.h"
#include "discovery/AddonWorld.h"
#include "discovery/BhoDiscovery.h"
#include "discovery/ButtonDiscovery.h"
#include "discovery/FileResolver.h"
#include "discovery/ExplorerBarDiscovery.h"
#include "discovery/MenuExtDiscovery.h"
#include "discovery/ToolbarDiscovery.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

// Installs a file checker for the test, as start-up does for the program.
class CheckerScope {
 public:
  CheckerScope() { core::gFileChecker = &checker_; }
  ~CheckerScope() { core::gFileChecker = nullptr; }

 private:
  FileResolver checker_{true};
};

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

template <typename Enum>
void CheckKind(AddonKind kind, Enum discover) {
  CheckerScope checker;
  AddonWorld world;
  const auto list = discover();
  ASSERT_TRUE(list.has_value());
  const auto expected = world.Expected(kind);
  ASSERT_GE(expected.size(), 5u);
  ExpectSame(world.Filter(kind, *list), expected);
  ExpectNeverListed(world, kind, *list);
}

}  // namespace

TEST(DiscoveryKinds, Toolbars) {
  CheckKind(AddonKind::Toolbar, [] { return discovery::EnumToolbars(); });
}

TEST(DiscoveryKinds, ToolbarButtonsAndMenus) {
  CheckKind(AddonKind::Button, [] { return discovery::EnumToolbarButtons(); });
}

TEST(DiscoveryKinds, ContextMenuExtensions) {
  CheckKind(AddonKind::MenuExt, [] { return discovery::EnumContextMenus(); });
}

TEST(DiscoveryKinds, ExplorerBars) {
  CheckKind(AddonKind::ExplorerBar, [] { return discovery::EnumObjects(); });
}

TEST(DiscoveryKinds, BrowserHelperObjects) {
  CheckKind(AddonKind::Bho, [] { return discovery::EnumBHOs(); });
}

TEST(DiscoveryKinds, EveryListingReadsAfresh) {
  CheckerScope checker;
  // Before the fixtures exist nothing of them is listed; afterwards every
  // routine finds them (an empty listing hides nothing later), and toolbar
  // names are numbered afresh in each listing.
  const auto before = discovery::EnumContextMenus();
  ASSERT_TRUE(before.has_value());
  std::vector<std::wstring> toolbarIds;
  {
    AddonWorld world;
    EXPECT_TRUE(world.Filter(AddonKind::MenuExt, *before).empty());
    const auto menus = discovery::EnumContextMenus();
    ASSERT_TRUE(menus.has_value());
    ExpectSame(world.Filter(AddonKind::MenuExt, *menus), world.Expected(AddonKind::MenuExt));

    const auto first = discovery::EnumToolbars();
    const auto second = discovery::EnumToolbars();
    ASSERT_TRUE(first && second);
    ExpectSame(world.Filter(AddonKind::Toolbar, *second), world.Filter(AddonKind::Toolbar, *first));
    for (const auto& r : world.Filter(AddonKind::Toolbar, *first)) toolbarIds.push_back(r.id);
    ASSERT_FALSE(toolbarIds.empty());
  }
  // The fixtures are gone again, and so are their rows.
  const auto after = discovery::EnumToolbars();
  ASSERT_TRUE(after.has_value());
  for (std::size_t i = 1; i <= after->Count(); ++i)
    for (const auto& id : toolbarIds) EXPECT_NE(after->Item(i)->ID, id);
}
