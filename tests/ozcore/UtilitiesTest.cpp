#include <gtest/gtest.h>
#include <windows.h>

#include "ozcore/CUtilities.h"
#include "support/TestSupport.h"

TEST(FileSearchName, CleansRegistryFileStrings) {
  SetEnvironmentVariableW(L"QLM_TEST_DIR", L"C:\\Tools");
  EXPECT_EQ(CUtilities::FileSearchName(L"  \"C:\\Program Files\\A\\a.dll\" /x  "), L"C:\\Program Files\\A\\a.dll");
  EXPECT_EQ(CUtilities::FileSearchName(L"%QLM_TEST_DIR%\\b.dll"), L"C:\\Tools\\b.dll");
  EXPECT_EQ(CUtilities::FileSearchName(L"shdocvw.dll"), L"shdocvw.dll");
  EXPECT_EQ(CUtilities::FileSearchName(L"   "), L"");
  EXPECT_EQ(CUtilities::FileNamePart(L"C:\\x\\y/z.dll"), L"z.dll");
  EXPECT_EQ(CUtilities::FileNamePart(L"plain"), L"plain");
}

TEST(SystemFacts, FoldersAndVersion) {
  const auto appData = CUtilities::AppDataFolder();
  ASSERT_EQ(appData.empty() ? L' ' : appData.back(), L'\\');
  EXPECT_NE(GetFileAttributesW(appData.c_str()), INVALID_FILE_ATTRIBUTES);

  const auto windows = CUtilities::WindowsFolder();
  EXPECT_NE(windows.back(), L'\\');
  EXPECT_NE(GetFileAttributesW((windows + L"\\system32").c_str()), INVALID_FILE_ATTRIBUTES);

  std::int32_t major = 0, minor = 0, build = 0, platform = 0;
  std::wstring sp;
  const auto text = CUtilities::GetWindowsVersion(major, minor, build, platform, sp);
  EXPECT_GE(major, 5);
  EXPECT_EQ(platform, VER_PLATFORM_WIN32_NT);
  EXPECT_NE(text.find(std::to_wstring(major) + L"." + std::to_wstring(minor)), std::wstring::npos);

  const auto message = CUtilities::SystemMessage(ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(message != L"Error 2" && !message.empty() && message.back() != L'\n') << qlmtest::Narrow(message);
  EXPECT_EQ(CUtilities::SystemMessage(0x7FFF1234u), L"Error 2147422772");
}
