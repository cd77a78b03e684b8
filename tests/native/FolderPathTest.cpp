// The text side of walking a path one name at a time: which paths are
// walked and into which names, what is inside a folder, and when a final
// path names the place meant.
#include <gtest/gtest.h>

#include <set>

#include "ozcore/FolderPath.h"

using namespace folderpath;

TEST(FolderPath, PathsSplitIntoRootAndPlainNamesOrAreRefused) {
  struct Row {
    const wchar_t* path;
    const wchar_t* root;  // nullptr: refused
    std::vector<std::wstring> names;
  } rows[] = {
      {L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmoor", L"C:\\", {L"Users", L"Ann", L"AppData", L"Roaming", L"Quillmoor"}},
      {L"c:/a//b\\", L"c:\\", {L"a", L"b"}},
      {L"D:\\", L"D:\\", {}},
      {L"\\\\?\\C:\\a", L"C:\\", {L"a"}},
      {L"\\\\server\\share\\x", L"\\\\server\\share\\", {L"x"}},
      {L"\\\\?\\UNC\\server\\share\\x", L"\\\\server\\share\\", {L"x"}},
      {L"\\\\?\\unc\\server\\share", L"\\\\server\\share\\", {}},
      {L"C:\\a\\\u4E2D \u00C4", L"C:\\", {L"a", L"\u4E2D \u00C4"}},
      // Not walked: relative, device and native paths, a share without its
      // name, and names the system would not open as written.
      {L"", nullptr, {}},
      {L"a\\b", nullptr, {}},
      {L"C:a", nullptr, {}},
      {L"\\a", nullptr, {}},
      {L"\\\\server", nullptr, {}},
      {L"\\\\\\server\\share", nullptr, {}},
      {L"\\\\.\\C:\\a", nullptr, {}},
      {L"\\\\?\\GLOBALROOT\\Device\\X", nullptr, {}},
      {L"\\??\\C:\\a", nullptr, {}},
      {L"C:\\a\\..\\Windows", nullptr, {}},
      {L"C:\\a\\.\\b", nullptr, {}},
      {L"C:\\a\\b:stream", nullptr, {}},
      {L"C:\\a\\b*", nullptr, {}},
      {L"C:\\a\\b.", nullptr, {}},
      {L"C:\\a\\b ", nullptr, {}},
      {L"C:\\a\\b\nc", nullptr, {}},
      {L"C:\\a\\\"b\"", nullptr, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
    const auto walk = SplitPath(row.path);
    ASSERT_EQ(walk.has_value(), row.root != nullptr);
    if (!walk) continue;
    EXPECT_EQ(walk->root, row.root);
    EXPECT_EQ(walk->names, row.names);
    // Joined again, every prefix splits back to itself.
    for (std::size_t n = 0; n <= walk->names.size(); ++n) {
      const auto again = SplitPath(JoinPath(*walk, n));
      ASSERT_TRUE(again.has_value());
      EXPECT_EQ(again->names, std::vector<std::wstring>(walk->names.begin(), walk->names.begin() + n));
    }
  }
}

TEST(FolderPath, InsideAndSamePlaceIgnoreCaseButNotNames) {
  const std::wstring data = L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmoor";
  EXPECT_EQ(NamesBelow(data, data + L"\\Backup\\list.csv"), (std::vector<std::wstring>{L"Backup", L"list.csv"}));
  EXPECT_EQ(NamesBelow(data, L"c:/users/ann/appdata/roaming/QUILLMOOR/x.csv"), (std::vector<std::wstring>{L"x.csv"}));
  EXPECT_EQ(NamesBelow(data, data), std::nullopt);
  EXPECT_EQ(NamesBelow(data, data + L"2\\x.csv"), std::nullopt);
  EXPECT_EQ(NamesBelow(data, L"D:\\Users\\Ann\\AppData\\Roaming\\Quillmoor\\x"), std::nullopt);
  EXPECT_EQ(NamesBelow(data, data + L"\\..\\..\\x"), std::nullopt);

  // The system's final path of a handle against the path meant.
  EXPECT_TRUE(SamePath(L"\\\\?\\C:\\Users\\Ann\\AppData", L"c:\\users\\ann\\appdata\\"));
  EXPECT_TRUE(SamePath(L"\\\\?\\C:\\", L"C:\\"));
  EXPECT_TRUE(SamePath(L"\\\\?\\UNC\\srv\\sh\\a", L"\\\\SRV\\sh\\A"));
  EXPECT_FALSE(SamePath(L"\\\\?\\C:\\exp\\victimdir", L"C:\\exp\\linkdir"));
  EXPECT_FALSE(SamePath(L"\\\\?\\C:\\a\\b", L"C:\\a"));
  EXPECT_FALSE(SamePath(L"\\\\?\\D:\\a", L"C:\\a"));
  EXPECT_FALSE(SamePath(L"", L"C:\\"));
}

TEST(FolderPath, TemporaryNamesAndVerdicts) {
  std::array<std::uint8_t, 16> random{};
  std::set<std::wstring> names;
  for (int i = 0; i < 256; ++i) {
    random[i % 16] = static_cast<std::uint8_t>(i * 37 + 11);
    const std::wstring name = TemporaryName(random);
    EXPECT_TRUE(IsPlainName(name)) << i;
    EXPECT_EQ(name.size(), 4u + 32u + 4u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 256u) << "every byte shows in the name";

  struct Row {
    OpenedFacts facts;
    Verdict verdict;
  } rows[] = {
      {{false, true, 1}, Verdict::Accept},
      {{true, true, 1}, Verdict::Link},       // a reparse point: Windows opened the link itself
      {{false, false, 1}, Verdict::Link},     // led elsewhere: Wine followed a Unix link
      {{true, false, 2}, Verdict::Link},
      {{false, true, 2}, Verdict::HardLinked},  // another name of a file elsewhere
      {{false, true, 0}, Verdict::HardLinked},
  };
  for (const auto& row : rows) EXPECT_EQ(Judge(row.facts), row.verdict) << (&row - rows);
}
