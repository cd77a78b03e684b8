// What the fuzz property of the resource reader cannot say: a resource in a
// language not asked for is still found, and one cut short by the end of the
// file gives its well-formed part. (The memory file source is the engine
// tests' own: NativeSourceFileFacts finds its files only when it matches
// names as a file system does.)
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/files/PeResources.h"
#include "support/AskedFileSource.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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
