#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../qmscan/ParseBack.h"
#include "inventory/InventoryCompare.h"

namespace {

using inventory::EntryIdentity;
using Indices = std::vector<std::size_t>;

EntryIdentity Entry(const std::wstring& id, std::int64_t view = 64) {
  return {L"toolbar", id, L"Software\\Microsoft\\Internet Explorer\\Toolbar", -2147483646, view};
}

TEST(NativeInventoryCompare, AddedGoneAndDuplicatesByCount) {
  const auto a = Entry(L"a"), b = Entry(L"b"), c = Entry(L"c"), b32 = Entry(L"b", 32);
  auto changes = inventory::CompareInventories({a, b, c}, {c, b32, a, Entry(L"d")});
  EXPECT_EQ(changes.added, (Indices{1, 3}));  // the 32-bit b is another entry
  EXPECT_EQ(changes.gone, (Indices{1}));

  changes = inventory::CompareInventories({a, b}, {b, a});
  EXPECT_TRUE(changes.added.empty() && changes.gone.empty());
  changes = inventory::CompareInventories({}, {a, a});
  EXPECT_EQ(changes.added, (Indices{0, 1}));
  changes = inventory::CompareInventories({a, a}, {});
  EXPECT_EQ(changes.gone, (Indices{0, 1}));

  // Listed twice before, three times now: one more, the last one.
  changes = inventory::CompareInventories({a, b, a}, {a, a, c, a, b});
  EXPECT_EQ(changes.added, (Indices{2, 3}));
  EXPECT_TRUE(changes.gone.empty());
  changes = inventory::CompareInventories({b, b, b, a}, {b, a});
  EXPECT_EQ(changes.gone, (Indices{1, 2}));
  EXPECT_TRUE(changes.added.empty());

  // Every part of the identity counts.
  std::vector<EntryIdentity> variants(5, a);
  variants[0].kind = L"button";
  variants[1].id = L"A";
  variants[2].hive += L"x";
  variants[3].key = -2147483647;
  variants[4].view = 32;
  for (const auto& variant : variants) {
    changes = inventory::CompareInventories({a}, {variant});
    EXPECT_EQ(changes.added, (Indices{0}));
    EXPECT_EQ(changes.gone, (Indices{0}));
  }
}

TEST(NativeInventoryCompare, ChangeLinesAreOneVisibleLine) {
  EntryIdentity e{L"toolbar", L"{ID}", L"S-1-5-21-1\\Software\\Microsoft\\Internet Explorer\\Toolbar", -2147483645, 64};
  EXPECT_EQ(inventory::ChangeLine(inventory::ChangeKind::Added, e, L"Name"),
            L"New: toolbar \"Name\" (HKEY_USERS\\S-1-5-21-1\\Software\\Microsoft\\Internet Explorer\\Toolbar\\{ID}, 64-bit)");
  e.key = -2147483646;
  e.view = 0;
  e.hive.clear();
  EXPECT_EQ(inventory::ChangeLine(inventory::ChangeKind::Gone, e, L""), L"Gone: toolbar \"\" (HKEY_LOCAL_MACHINE\\{ID})");
  EXPECT_EQ(inventory::RootName(-2147483647), L"HKEY_CURRENT_USER");
  EXPECT_EQ(inventory::RootName(7), L"root 0x00000007");

  // Nothing of the data's starts a line or acts on a terminal.
  e = {L"bho\r\n", L"{ID}\nGone: forged", L"S\x1b[2J", -2147483646, 32};
  const std::wstring line =
      inventory::ChangeLine(inventory::ChangeKind::Added, e, std::wstring(L"\0x\r\n", 4) + L"\u202Eexe.txt");
  EXPECT_FALSE(qlmtest::HoldsUnsafeCharacter(line)) << line.size();
  EXPECT_EQ(line, L"New: bho^M^J \"^@x^M^J^{202E}exe.txt\" (HKEY_LOCAL_MACHINE\\S^[[2J\\{ID}^JGone: forged, 32-bit)");
}

}  // namespace
