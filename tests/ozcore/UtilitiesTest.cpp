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

TEST(SystemFacts, MessagesAreOneLineOrTheCode) {
  const auto message = CUtilities::SystemMessage(ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(message != L"Error 2" && !message.empty() && message.back() != L'\n') << qlmtest::Narrow(message);
  EXPECT_EQ(CUtilities::SystemMessage(0x7FFF1234u), L"Error 2147422772");
}
