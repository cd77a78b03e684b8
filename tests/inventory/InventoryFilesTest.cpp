// Inventory files: a name is never reused, the newest earlier inventory is
// found among files and folders that only look like one, and a file is read
// back exactly and only up to the size limit. (Its text is decoded strictly
// as UTF-8, a mark or not: NativeInventoryRead.Utf8IsDecodedStrictly.)
#include <gtest/gtest.h>

#include "inventory/InventoryFiles.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

constexpr SYSTEMTIME kTime{2026, 12, 1, 7, 4, 5, 6, 0};

bool WriteInventory(const std::wstring& path, const std::wstring& text, std::wstring& reason) {
  return CFileSystem::WriteTextFile(path, text, TextEncoding::Utf8, reason);
}

}  // namespace

TEST(InventoryFiles, NamesAreFreeAndTheNewestEarlierOneIsFound) {
  TempFolder tmp;
  const std::wstring folder = tmp.Path();
  EXPECT_TRUE(inventory::EarlierInventories(folder, L"").empty());
  EXPECT_TRUE(inventory::EarlierInventories(folder + L"\\missing", L"").empty());

  // Three in one second: each gets a name of its own.
  std::vector<std::wstring> paths;
  for (int i = 0; i < 3; ++i) {
    paths.push_back(inventory::InventoryFileName(folder, kTime));
    std::wstring reason;
    ASSERT_TRUE(WriteInventory(paths.back(), L"[]\r\n", reason)) << Narrow(reason);
  }
  EXPECT_EQ(paths[0], folder + L"\\Inventory 2026-12-07 04-05-06.json");
  EXPECT_EQ(paths[1], folder + L"\\Inventory 2026-12-07 04-05-06 (2).json");
  EXPECT_EQ(paths[2], folder + L"\\Inventory 2026-12-07 04-05-06 (3).json");
  SYSTEMTIME earlier = kTime;
  earlier.wYear = 2025;
  const std::wstring older = inventory::InventoryFileName(folder, earlier);
  WriteBytes(older, "[]");

  // Newer-looking names that are not inventories of ours.
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\Inventory 2030-01-01 00-00-00.json").c_str(), nullptr));
  for (const wchar_t* decoy : {L"Inventory 2031-01-01 00-00-00.json.txt", L"Inventory 2031-01-01 00-00-00 (1).json",
                               L"Inventory 2031-01-01 00-00-00 (02).json", L"Inventory 2031-01-01 0-00-00.json",
                               L"Inventory 2031-01-01 00-00-00 (x).json", L"Inventory 2031-01-01T00-00-00.json"})
    WriteBytes(folder + L"\\" + decoy, "[]");
  using Paths = std::vector<std::wstring>;
  EXPECT_EQ(inventory::EarlierInventories(folder, L""), (Paths{paths[2], paths[1], paths[0], older}));
  EXPECT_EQ(inventory::EarlierInventories(folder, paths[2]), (Paths{paths[1], paths[0], older}));
  EXPECT_EQ(inventory::EarlierInventories(folder, paths[0]), Paths{older});
  EXPECT_TRUE(inventory::EarlierInventories(folder, older).empty());
  // A file not named as ours is only left out itself.
  EXPECT_EQ(inventory::EarlierInventories(folder, folder + L"\\elsewhere.json").size(), 4u);
}

TEST(InventoryFiles, ReadBackIsExactStrictAndLimited) {
  TempFolder tmp;
  CResultNode node;
  node.ID = std::wstring(L"\0evil\r\n", 7) + L"\u202E\U0001F600";
  node.params.Add(L"displayName", L"caf\u00e9 \"quoted\"");
  node.params.Add(L"key", std::int32_t{-2147483646});
  const std::wstring text = inventory::JsonDocument({{L"bho", &node}});
  const std::wstring path = tmp.File(L"Inventory.json");
  std::wstring reason;
  ASSERT_TRUE(WriteInventory(path, text, reason)) << Narrow(reason);
  EXPECT_EQ(ReadBytes(path), CUtilities::ToUtf8(text));  // UTF-8, no mark
  EXPECT_EQ(inventory::ReadInventoryFile(path), std::optional<std::wstring>(text));

  auto refused = [&](const std::wstring& file) {
    reason.clear();
    const bool read = inventory::ReadInventoryFile(file, &reason).has_value();
    return !read && !reason.empty();
  };
  EXPECT_TRUE(refused(tmp.File(L"missing.json")));
  EXPECT_TRUE(refused(tmp.Path()));

  // One byte over the limit, without writing a quarter gigabyte.
  const std::wstring huge = tmp.File(L"huge.json");
  {
    UniqueFile file(CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER size{};
    size.QuadPart = static_cast<LONGLONG>(inventory::kMaxInventoryFileBytes) + 1;
    ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
  }
  EXPECT_TRUE(refused(huge));
  DeleteFileW(huge.c_str());
}
