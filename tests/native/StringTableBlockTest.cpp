#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/files/StringTableBlock.h"

namespace {

using Bytes = std::vector<unsigned char>;

void PutWord(Bytes& out, std::uint32_t word) {
  out.push_back(static_cast<unsigned char>(word & 0xFF));
  out.push_back(static_cast<unsigned char>((word >> 8) & 0xFF));
}

// A block as resource compilers write it: each string's count, then its
// units; count overrides the count written for a string.
Bytes Block(const std::vector<std::u16string>& strings, std::vector<std::uint32_t> counts = {}) {
  Bytes out;
  for (std::size_t i = 0; i < strings.size(); ++i) {
    PutWord(out, i < counts.size() ? counts[i] : strings[i].size());
    for (char16_t c : strings[i]) PutWord(out, c);
  }
  return out;
}

std::optional<std::wstring> At(const Bytes& block, std::uint32_t index) {
  return discovery::StringFromBlock(block.data(), block.size(), index);
}

TEST(NativeStringTableBlock, CountsPastTheBlockGiveNoString) {
  // The third count claims more than the block holds: the strings before
  // it are read, it and every one after it are not.
  const Bytes block = Block({u"Good", u"", u"Bad", u"After"}, {4, 0, 0xFFFF, 5});
  EXPECT_EQ(At(block, 0), L"Good");
  EXPECT_EQ(At(block, 1), L"");
  EXPECT_EQ(At(block, 2), std::nullopt);
  EXPECT_EQ(At(block, 3), std::nullopt);

  // A block cut short: the last string one unit short, one byte short (an
  // odd size), or inside the count of the next.
  const Bytes whole = Block({u"ab", u"cd"});
  EXPECT_EQ(discovery::StringFromBlock(whole.data(), whole.size(), 1), L"cd");
  EXPECT_EQ(discovery::StringFromBlock(whole.data(), whole.size() - 1, 1), std::nullopt);
  EXPECT_EQ(discovery::StringFromBlock(whole.data(), whole.size() - 2, 1), std::nullopt);
  EXPECT_EQ(discovery::StringFromBlock(whole.data(), whole.size() - 2, 0), L"ab");
  EXPECT_EQ(discovery::StringFromBlock(whole.data(), 7, 1), std::nullopt);
  EXPECT_EQ(discovery::StringFromBlock(whole.data(), 1, 0), std::nullopt);
  // Fewer than sixteen strings written: the missing ones are not there.
  EXPECT_EQ(At(whole, 2), std::nullopt);
  EXPECT_EQ(discovery::StringFromBlock(nullptr, 40, 0), std::nullopt);
  // The longest string a count can give, whole. (Well-formed blocks:
  // PeResources.VersionAndStringsAsTheSystemReadsThem, against the system.)
  EXPECT_EQ(At(Block({std::u16string(0xFFFF, u'x')}), 0), std::wstring(0xFFFF, L'x'));
}

}  // namespace
