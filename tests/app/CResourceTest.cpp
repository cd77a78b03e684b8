#include <gtest/gtest.h>

#include "core/ProgramResources.h"
#include "support/TestSupport.h"

using namespace qlmtest;

TEST(ProgramResources, LoadsForResourcesOnlyAndReleases) {
  ProgramResources res;
  EXPECT_FALSE(res.Init(L""));
  EXPECT_EQ(res.hModule(), nullptr);

  // The running program's own file, whatever its name.
  const auto self = ProgramResources::ProgramFile();
  EXPECT_NE(self.find(L"app_core_tests.exe"), std::wstring::npos);

  // A copy of a fixture: while loaded its resources are readable; after the
  // object moves on to another file the copy is free to delete.
  TempFolder tmp;
  const auto copy = tmp.File(L"copy.dll");
  ASSERT_TRUE(CopyFileW((FixtureFolder() + L"\\fx_german.dll").c_str(), copy.c_str(), FALSE));
  ASSERT_TRUE(res.Init(copy));
  EXPECT_EQ(res.FileName(), copy);
  ASSERT_NE(res.hModule(), nullptr);
  EXPECT_NE(FindResourceW(res.hModule(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION), nullptr);
  // Loaded as data: no code was mapped to run.
  EXPECT_EQ(GetProcAddress(res.hModule(), "FixtureId"), nullptr);

  ASSERT_TRUE(res.Init(self));
  EXPECT_EQ(res.FileName(), self);
  EXPECT_TRUE(DeleteFileW(copy.c_str())) << "the first module was not released";
}

TEST(ProgramResources, MissingFileRaisesTheComponentError) {
  ProgramResources res;
  ASSERT_TRUE(res.Init(ProgramResources::ProgramFile()));
  const std::wstring missing = L"C:\\no\\such\\Quillmoor.exe";
  try {
    res.Init(missing);
    FAIL() << "no error raised";
  } catch (const QlmError& e) {
    EXPECT_EQ(e.Number(), ProgramResources::kInitFailed);  // not the inner load failure
  }
  EXPECT_EQ(res.hModule(), nullptr);
  EXPECT_EQ(res.FileName(), missing);
}
