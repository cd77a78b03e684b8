// Version blocks as sloppy or hostile writers leave them, each a seed of
// VersionBlockFuzz made by corpus/make-version-seeds.py (the fuzz property
// keeps every read inside the block; here, what is read). Well-formed
// blocks are read as the system reads them:
// PeResources.VersionAndStringsAsTheSystemReadsThem.
#include <gtest/gtest.h>

#include <string>

#include "ozcore/VersionBlock.h"
#include "support/AskedFileSource.h"

namespace {

// "key:name=value;...|..." of the tables, then " #language/codepage" of
// each translation, in hex.
std::wstring Described(const versionblock::VersionInfo& info) {
  std::wstring out;
  for (const auto& table : info.tables) {
    out += (out.empty() ? L"" : L"|") + table.key + L":";
    for (const auto& s : table.strings) out += s.name + L"=" + s.value + L";";
  }
  wchar_t pair[24];
  for (const auto& t : info.translations) swprintf(pair, 24, L" #%x/%x", unsigned{t.language}, unsigned{t.codePage}), out += pair;
  return out;
}

TEST(NativeVersionBlock, MalformedBlocksKeepWhatIsWellFormed) {
  const struct {
    const char* seed;
    std::wstring read;
  } cases[] = {
      {"byte-after-block", L"040904B0:CompanyName=Maker; #409/4b0"},
      {"byte-short", L""},  // the root no longer fits
      // A text ends at its first NUL or its structure, never in the sibling.
      {"sloppy-values", L"040904B0:CompanyName=ab;FileVersion=1.2.3;ProductName=Prod;InternalName=abc;Next=zzz;"
                        L"|040904b0:x=y;"},
      {"translation-past-item", L" #409/4b0"},  // the odd tail is no pair
      // A string whose length is past its table, zero or too small for any
      // structure ends its table; the sections after it are read.
      {"string-past-table", L"040904B0:CompanyName=Good; #409/4b0"},
      {"string-length-zero", L"040904B0:CompanyName=Good; #409/4b0"},
      {"string-length-6", L"040904B0:CompanyName=Good; #409/4b0"},
      {"string-length-7", L"040904B0:CompanyName=Good; #409/4b0"},
      {"string-length-odd", L"040904B0:CompanyName=Good;ProductName=Ba;After=x; #409/4b0"},
      {"table-past-section", L"040904B0:"},
      {"root-past-block", L""},
      {"key-unterminated", L"040904B0:A=1;B=2;"},
      {"root-key-unterminated", L""},
      // Four levels are read, nothing below them; a section in a section
      // is read as a table.
      {"nested-thousand", L"040904B0:Holder=h;|StringFileInfo:StringFileInfo=;"},
  };
  for (const auto& c : cases) {
    const auto bytes = qlmtest::FileBytes(std::string(QLM_CORPUS "/VersionBlockFuzz/") + c.seed);
    ASSERT_FALSE(bytes.empty()) << c.seed;
    EXPECT_EQ(Described(versionblock::Parse(bytes.data(), bytes.size())), c.read) << c.seed;
  }
  EXPECT_TRUE(versionblock::Parse(nullptr, 100).tables.empty());
}

}  // namespace
