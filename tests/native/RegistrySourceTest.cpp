// A registry editor's export read into memory; the memory source's links.
// (Its names and limits: it is the expected side of
// LiveRegistry.ReadsWhatExportShowsAndWhatNoExportCarries and the registry
// of every native engine test and EngineListingFuzz.)
#include <gtest/gtest.h>

#include <utility>

#include "engine/sources/RegFileReader.h"
#include "fuzz/SourceDump.h"

namespace {

using engine::MemoryRegistry;
using engine::Tree;

// The engine's tests stand for the live registry's links with this rule:
// nothing is read through a link, nor from the link key itself.
TEST(RegistrySource, MemoryReadsNothingThroughALink) {
  MemoryRegistry reg;
  reg.SetString(Tree::Users, L"S-1-5-18\\Link\\Below", L"x", L"target's");
  reg.MarkLink(Tree::Users, L"S-1-5-18\\Link");
  EXPECT_TRUE(reg.IsLink(Tree::Users, L"s-1-5-18\\link"));
  EXPECT_FALSE(reg.KeyExists(Tree::Users, L"S-1-5-18\\Link\\Below"));
  EXPECT_FALSE(reg.ReadValue(Tree::Users, L"S-1-5-18\\Link\\Below", L"x", 100));
  EXPECT_TRUE(reg.SubKeyNames(Tree::Users, L"S-1-5-18\\Link").empty());
}

std::vector<std::pair<std::size_t, engine::RegTextSkip>> Skips(const engine::RegTextOutcome& outcome) {
  std::vector<std::pair<std::size_t, engine::RegTextSkip>> out;
  for (const auto& skipped : outcome.skipped) out.emplace_back(skipped.line, skipped.reason);
  return out;
}

// The forms the editor and other writers use that the program's own writer
// never writes (its own are the fuzz target's round trip), and every kind
// of line that is skipped, each skipped alone.
TEST(ReadRegText, EveryFormAndEachBadLineAlone) {
  std::wstring deep = L"[HKLM";
  for (int i = 0; i < 513; ++i) deep += L"\\k";
  const std::wstring text = L"\xFEFFWindows Registry Editor Version 5.00\r\n\r\n; comment\r\n"
      L"[HKEY_LOCAL_MACHINE\\Software\\A]\r\n\"Str\"=\"x\\\"y\\\\z\"\r\n@=\"default\"\r\n"
      L"  \"Dw\" = dword:1f ; comment\r\n\"Bin\"=hex:01, 2,\\  \r\n   ab\n\"Exp\"=hex(2):41,00,00,00\r\n"
      L"\"Gone\"=\"x\"\r\n\"Gone\"=-\r\n\"Wine\"=\"a\\nb\\0c\\q\"\r"
      L"[HKLM\\Software\\B\\Deep]\r\n[-HKEY_LOCAL_MACHINE\\Software\\B]\r\n\"orphan\"=\"x\"\r\n"
      L"[HKEY_CURRENT_USER\\Software\\C]\r\n\"underHkcu\"=\"x\"\r\n[HKU\\.DEFAULT\\Software\\D\r\n"
      L"[hku\\S-1-5-18\\]]\r\n\"Bad=1\r\n\"Bad2\" \"x\"\r\n\"Bad3\"=dword:123456789\r\n\"Bad4\"=hex:0g\r\n"
      L"\"Bad5\"=str:x\r\ngarbage\r\n" + deep + L"]\r\n\"ok\"=hex(b):\r\n\"Bad6\"=hex:01,\\";
  MemoryRegistry read;
  const engine::RegTextOutcome outcome = engine::ReadRegText(text, read);
  using R = engine::RegTextSkip;
  EXPECT_EQ(Skips(outcome), (std::vector<std::pair<std::size_t, R>>{
                                {16, R::NoKey}, {17, R::OtherTree}, {18, R::NoKey}, {19, R::BadKeyLine},
                                {21, R::BadValueName}, {22, R::BadValueName}, {23, R::BadValueData},
                                {24, R::BadValueData}, {25, R::BadValueData}, {26, R::UnknownLine},
                                {27, R::TooDeep}, {28, R::NoKey}, {29, R::BadValueData}}));
  EXPECT_EQ(outcome.keys, 4u);
  EXPECT_EQ(outcome.values, 8u);

  MemoryRegistry expected;
  const std::wstring a = L"Software\\A";
  expected.SetString(Tree::Machine, a, L"Str", L"x\"y\\z");
  expected.SetString(Tree::Machine, a, L"", L"default");
  expected.SetDword(Tree::Machine, a, L"Dw", 0x1f);
  expected.SetValue(Tree::Machine, a, L"Bin", 3, {1, 2, 0xab});
  expected.SetValue(Tree::Machine, a, L"Exp", 2, {0x41, 0, 0, 0});
  expected.SetString(Tree::Machine, a, L"Wine", std::wstring(L"a\nb\0c\\q", 7));
  expected.CreateKey(Tree::Users, L"S-1-5-18\\]");
  for (const Tree tree : {Tree::Machine, Tree::Users})
    EXPECT_EQ(qlmtest::Dump(read, tree, L""), qlmtest::Dump(expected, tree, L""));

  // REGEDIT4 keeps expandable and multi-strings as 8-bit text; without a
  // header nothing is read.
  MemoryRegistry ansi;
  EXPECT_TRUE(engine::ReadRegText(L"REGEDIT4\n[HKU\\X]\n\"m\"=hex(7):41,00,00\n", ansi).hasHeader);
  EXPECT_EQ(ansi.ReadValue(Tree::Users, L"X", L"m", 100)->bytes, (std::vector<std::uint8_t>{0x41, 0, 0, 0, 0, 0}));
  const auto none = engine::ReadRegText(L"Windows Registry Editor Version 4.00\r\n[HKLM\\X]\r\n", ansi);
  EXPECT_TRUE(!none.hasHeader && none.keys == 0 && Skips(none).size() == 1 && !ansi.KeyExists(Tree::Machine, L"X"));
}

}  // namespace
