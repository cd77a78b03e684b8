// Files held in memory, as the engine's tests see them; and what the fuzz
// property of the resource reader cannot say: a resource in a language not
// asked for is still found, and one cut short by the end of the file gives
// its well-formed part.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/files/PeResources.h"
#include "support/AskedFileSource.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(NativeMemoryFileSource, PathsFactsReadsAndListings) {
  engine::MemoryFileSource files;
  files.AddFile(L"C:\\Maker\\Bar.dll", {1, 2, 3}, {5, 7});
  files.AddFolder(L"c:/maker/Empty/");
  const auto facts = files.Facts(L"c:/MAKER//bar.DLL");
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->size, 3u);
  EXPECT_EQ(facts->times.lastWrite, 7u);
  EXPECT_FALSE(files.Facts(L"C:\\Maker"));
  EXPECT_FALSE(files.Open(L"C:\\Maker\\Bar.dll\\x"));
  const auto file = files.Open(L"C:\\MAKER\\BAR.DLL");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Read(1, 10), (Bytes{2, 3}));
  EXPECT_EQ(file->Read(3, 1), Bytes{});
  EXPECT_FALSE(file->Read(0, engine::kMaxFileReadBytes + 1));
  std::vector<std::pair<std::wstring, bool>> listed;
  for (const auto& entry : files.List(L"C:\\maker\\").value_or(std::vector<engine::FolderEntry>{}))
    listed.emplace_back(entry.name, entry.isFolder);
  EXPECT_EQ(listed, (std::vector<std::pair<std::wstring, bool>>{{L"Bar.dll", false}, {L"Empty", true}}));
  EXPECT_FALSE(files.List(L"C:\\Maker\\Bar.dll"));
  EXPECT_FALSE(files.List(L"D:\\"));
}

TEST(NativePeResources, AnyLanguageAndAResourceCutShort) {
  Bytes bytes = qlmtest::FileBytes(QLM_CORPUS "/PeResourcesFuzz/fx_strings.dll");
  engine::MemoryFileSource files;
  files.AddFile(L"C:\\x.dll", bytes);
  // The file has US English only.
  EXPECT_EQ(engine::ResourceString(files, L"C:\\x.dll", 102, {0x0407}), L"Fixture Menu");
  EXPECT_EQ(engine::VersionStrings(files, L"C:\\x.dll", {}).Item(L"CompanyName"), L"Indirect Strings Inc");

  // The file ends just after string 102: the strings before the end are read.
  const std::u16string menu = u"Fixture Menu";
  const auto* units = reinterpret_cast<const std::uint8_t*>(menu.data());
  const auto at = std::search(bytes.begin(), bytes.end(), units, units + menu.size() * 2);
  ASSERT_NE(at, bytes.end());
  files.AddFile(L"C:\\x.dll", Bytes(bytes.begin(), at + static_cast<std::ptrdiff_t>(menu.size() * 2)));
  EXPECT_EQ(engine::ResourceString(files, L"C:\\x.dll", 101, {}), L"Fixture &Button");
  EXPECT_EQ(engine::ResourceString(files, L"C:\\x.dll", 102, {}), L"Fixture Menu");
  EXPECT_EQ(engine::ResourceString(files, L"C:\\x.dll", 103, {}), std::nullopt);
}

}  // namespace
