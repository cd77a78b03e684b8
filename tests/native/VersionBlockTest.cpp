#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ozcore/VersionBlock.h"

namespace {

using Bytes = std::vector<unsigned char>;

// One structure of a version block, written the way resource compilers
// write it; the optional fields replace what the builder would compute.
struct Item {
  std::u16string key;
  std::uint16_t type = 1;
  Bytes value;
  std::uint16_t valueLength = 0;
  std::vector<Item> children;
  Bytes builtChildren;  // already built, after children
  std::optional<std::uint16_t> length;  // wLength as written
  bool keyTerminated = true;
};

void PutWord(Bytes& out, std::uint16_t word) {
  out.push_back(static_cast<unsigned char>(word & 0xFF));
  out.push_back(static_cast<unsigned char>(word >> 8));
}
void Pad4(Bytes& out) {
  while (out.size() % 4) out.push_back(0);
}

// Items start on 32-bit boundaries of the whole block, so padding counted
// from an item's own start is the block's padding.
Bytes Build(const Item& item) {
  Bytes out;
  PutWord(out, 0);
  PutWord(out, item.valueLength);
  PutWord(out, item.type);
  for (char16_t c : item.key) PutWord(out, c);
  if (item.keyTerminated) PutWord(out, 0);
  Pad4(out);
  out.insert(out.end(), item.value.begin(), item.value.end());
  for (const auto& child : item.children) {
    Pad4(out);
    const Bytes bytes = Build(child);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  if (!item.builtChildren.empty()) {
    Pad4(out);
    out.insert(out.end(), item.builtChildren.begin(), item.builtChildren.end());
  }
  const std::uint16_t length = item.length ? *item.length : static_cast<std::uint16_t>(out.size());
  out[0] = static_cast<unsigned char>(length & 0xFF);
  out[1] = static_cast<unsigned char>(length >> 8);
  return out;
}

Item Make(std::u16string key, std::uint16_t type) {
  Item item;
  item.key = std::move(key);
  item.type = type;
  return item;
}

Item Text(std::u16string name, const std::u16string& value) {
  Item item = Make(std::move(name), 1);
  for (char16_t c : value + u'\0') PutWord(item.value, c);
  item.valueLength = static_cast<std::uint16_t>(value.size() + 1);
  return item;
}

Item Group(std::u16string key, std::vector<Item> children) {
  Item item = Make(std::move(key), 1);
  item.children = std::move(children);
  return item;
}

Item Translation(const std::vector<std::uint16_t>& words) {
  Item item = Make(u"Translation", 0);
  for (auto w : words) PutWord(item.value, w);
  item.valueLength = static_cast<std::uint16_t>(item.value.size());
  return item;
}

Item Root(std::vector<Item> children) {
  Item root = Make(u"VS_VERSION_INFO", 0);
  root.value.assign(52, 0);  // the fixed file information; not read
  root.valueLength = 52;
  root.children = std::move(children);
  return root;
}

versionblock::VersionInfo ParseBytes(const Bytes& bytes) { return versionblock::Parse(bytes.data(), bytes.size()); }

// "name=value;..." of one table, to compare whole tables at once.
std::wstring Strings(const versionblock::StringTable& table) {
  std::wstring out;
  for (const auto& s : table.strings) out += s.name + L"=" + s.value + L";";
  return out;
}

TEST(NativeVersionBlock, ReadsTablesAndTranslationsOfAWellFormedBlock) {
  const Bytes block = Build(Root({
      Group(u"StringFileInfo",
            {Group(u"040904B0", {Text(u"CompanyName", u"Maker Ltd"), Text(u"ProductVersion", u"1.0"),
                                 Text(u"Comments", u"")}),
             Group(u"040704E4", {Text(u"ProductName", u"Schaltfl\u00E4che \u6309\u94AE")})}),
      Group(u"VarFileInfo", {Translation({0x0409, 1200, 0x0407, 1252})}),
  }));
  const auto info = ParseBytes(block);
  ASSERT_EQ(info.tables.size(), 2u);
  EXPECT_EQ(info.tables[0].key, L"040904B0");
  EXPECT_EQ(Strings(info.tables[0]), L"CompanyName=Maker Ltd;ProductVersion=1.0;Comments=;");
  EXPECT_EQ(info.tables[1].key, L"040704E4");
  EXPECT_EQ(Strings(info.tables[1]), L"ProductName=Schaltfl\u00E4che \u6309\u94AE;");
  ASSERT_EQ(info.translations.size(), 2u);
  EXPECT_EQ(info.translations[0].language, 0x0409);
  EXPECT_EQ(info.translations[0].codePage, 1200);
  EXPECT_EQ(info.translations[1].language, 0x0407);
  EXPECT_EQ(info.translations[1].codePage, 1252);

  // A byte more after the block changes nothing; a byte less loses the
  // root, whose length no longer fits.
  Bytes longer = block;
  longer.push_back(0x55);
  EXPECT_EQ(Strings(ParseBytes(longer).tables.at(0)), Strings(info.tables[0]));
  EXPECT_TRUE(versionblock::Parse(block.data(), block.size() - 1).tables.empty());
  EXPECT_TRUE(versionblock::Parse(nullptr, 100).tables.empty());
  EXPECT_TRUE(versionblock::Parse(block.data(), 0).tables.empty());
}

TEST(NativeVersionBlock, ValuesAsWrittenBySloppyWritersStayInsideTheirStructure) {
  Item withNul = Text(u"CompanyName", std::u16string(u"ab\0cd", 5));
  Item byteCount = Text(u"FileVersion", u"1.2.3");
  byteCount.valueLength = static_cast<std::uint16_t>(byteCount.value.size());  // bytes, not units
  Item binaryType = Text(u"ProductName", u"Prod");
  binaryType.type = 0;
  Item lowerKeys = Group(u"stringfileinfo", {Group(u"040904b0", {Text(u"x", u"y")})});
  Item noNulPastEnd = Make(u"InternalName", 1);
  for (char16_t c : std::u16string(u"abc")) PutWord(noNulPastEnd.value, c);
  noNulPastEnd.valueLength = 0x7FFF;  // past its structure, and no NUL
  Item followsIt = Text(u"Next", u"zzz");

  const auto info = ParseBytes(Build(Root({
      Group(u"StringFileInfo", {Group(u"040904B0", {withNul, byteCount, binaryType, noNulPastEnd, followsIt})}),
      lowerKeys,
  })));
  ASSERT_EQ(info.tables.size(), 2u);
  // The text ends at its first NUL or its structure, never in the sibling.
  EXPECT_EQ(Strings(info.tables[0]),
            L"CompanyName=ab;FileVersion=1.2.3;ProductName=Prod;InternalName=abc;Next=zzz;");
  EXPECT_EQ(Strings(info.tables[1]), L"x=y;");

  // A translation whose length runs past its structure gives the pairs
  // inside it; an odd tail is no pair.
  Item bigTranslation = Translation({0x0409, 1200, 0x0407});
  bigTranslation.valueLength = 0xFFFF;
  const auto pairs = ParseBytes(Build(Root({Group(u"VarFileInfo", {bigTranslation})}))).translations;
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].codePage, 1200);
}

TEST(NativeVersionBlock, LengthsPastTheParentOrTooSmallEndTheirLevelAndKeepWhatCameBefore) {
  const auto parseWithBadString = [](std::optional<std::uint16_t> badLength) {
    Item bad = Text(u"ProductName", u"Bad");
    bad.length = badLength;
    return ParseBytes(Build(Root({
        Group(u"StringFileInfo", {Group(u"040904B0", {Text(u"CompanyName", u"Good"), bad, Text(u"After", u"x")})}),
        Group(u"VarFileInfo", {Translation({0x0409, 1200})}),
    })));
  };
  // Past its table (and the block), zero, and shorter than any structure:
  // the strings before it stay, none after it can be found, and the
  // sections after its table are read as usual.
  for (std::uint16_t length : {std::uint16_t{0xFFF0}, std::uint16_t{0}, std::uint16_t{6}, std::uint16_t{7}}) {
    const auto info = parseWithBadString(length);
    ASSERT_EQ(info.tables.size(), 1u) << length;
    EXPECT_EQ(Strings(info.tables[0]), L"CompanyName=Good;") << length;
    EXPECT_EQ(info.translations.size(), 1u) << length;
  }
  // An odd length cuts the value inside its last unit.
  const auto odd = parseWithBadString(static_cast<std::uint16_t>(Build(Text(u"ProductName", u"Bad")).size() - 3));
  EXPECT_EQ(Strings(odd.tables.at(0)), L"CompanyName=Good;ProductName=Ba;After=x;");

  // A table past its section is dropped with everything after it.
  Item badTable = Group(u"040704E4", {Text(u"A", u"b")});
  badTable.length = 0x4000;
  const auto tables = ParseBytes(Build(Root({Group(u"StringFileInfo", {Group(u"040904B0", {}), badTable})}))).tables;
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(tables[0].key, L"040904B0");

  // A root that claims more than the block gives nothing.
  Item root = Root({Group(u"StringFileInfo", {Group(u"040904B0", {Text(u"A", u"b")})})});
  root.length = 0xFFFF;
  EXPECT_TRUE(ParseBytes(Build(root)).tables.empty());
}

TEST(NativeVersionBlock, UnterminatedKeysAreSkippedAndDeepNestingIsNotFollowed) {
  Item unterminated = Text(u"CompanyName", u"");
  unterminated.value.clear();
  unterminated.valueLength = 0;
  unterminated.keyTerminated = false;  // the key's last unit is the structure's last
  const Item table = Group(u"040904B0", {Text(u"A", u"1"), unterminated, Text(u"B", u"2")});
  const auto info = ParseBytes(Build(Root({Group(u"StringFileInfo", {table})})));
  ASSERT_EQ(info.tables.size(), 1u);
  EXPECT_EQ(Strings(info.tables[0]), L"A=1;B=2;");

  Item badRoot = Root({Group(u"StringFileInfo", {Group(u"040904B0", {Text(u"A", u"1")})})});
  badRoot.key = std::u16string(41, u'K');  // no padding after it to stand in for a NUL
  badRoot.keyTerminated = false;
  badRoot.value.clear();
  badRoot.valueLength = 0;
  badRoot.children.clear();
  EXPECT_TRUE(ParseBytes(Build(badRoot)).tables.empty());

  // A thousand levels below a string, and a thousand sections inside a
  // section: the walk reads the four levels the format has and nothing
  // below them (a section inside a section is read as a table).
  const auto nest = [](std::u16string key, Bytes inner) {
    for (int i = 0; i < 1000; ++i) {
      Item level = Make(key, 1);
      level.builtChildren = std::move(inner);
      inner = Build(level);
    }
    return inner;
  };
  Item holder = Text(u"Holder", u"h");
  holder.builtChildren = nest(u"S", Build(Text(u"Below", u"b")));
  Item sections = Make(u"StringFileInfo", 1);
  sections.builtChildren = nest(u"StringFileInfo", Build(Text(u"Deep", u"v")));
  const Bytes nested = Build(Root({Group(u"StringFileInfo", {Group(u"040904B0", {holder})}), sections}));
  ASSERT_LT(nested.size(), 0x10000u);
  const auto nestedInfo = ParseBytes(nested);
  ASSERT_EQ(nestedInfo.tables.size(), 2u);
  EXPECT_EQ(Strings(nestedInfo.tables[0]), L"Holder=h;");
  EXPECT_EQ(nestedInfo.tables[1].key, L"StringFileInfo");
  EXPECT_EQ(Strings(nestedInfo.tables[1]), L"StringFileInfo=;");
}

}  // namespace
