#include <gtest/gtest.h>
#include <windows.h>

#include "ozcore/CUtilities.h"
#include "support/TestSupport.h"

TEST(FormatString, ReplacesInOnePass) {
  EXPECT_EQ(CUtilities::FormatString(L"%1 (%2)", {L"Bar", L"2"}), L"Bar (2)");
  // Text an argument brings in is never replaced again.
  EXPECT_EQ(CUtilities::FormatString(L"%1 and %2", {L"%2", L"%1"}), L"%2 and %1");
  EXPECT_EQ(CUtilities::FormatString(L"Are you sure you want to delete %1?", {L"100%1 off"}),
            L"Are you sure you want to delete 100%1 off?");
  // Markers without an argument, and a lone "%", stay as they are.
  EXPECT_EQ(CUtilities::FormatString(L"%1 %3 % %", {L"a"}), L"a %3 % %");
  EXPECT_EQ(CUtilities::FormatString(L"[%1]%3%3", {L"x", L"y", L"\r\n"}), L"[x]\r\n\r\n");
  // With fewer than ten arguments "%10" is argument 1 followed by "0".
  EXPECT_EQ(CUtilities::FormatString(L"%10", {L"a"}), L"a0");
  std::vector<std::wstring> ten = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"ten"};
  EXPECT_EQ(CUtilities::FormatString(L"%10!", ten), L"ten!");
}

TEST(UrlEncode, EncodesUtf8Bytes) {
  EXPECT_EQ(CUtilities::UrlEncode(L"abc-_.~XYZ09"), L"abc-_.~XYZ09");
  EXPECT_EQ(CUtilities::UrlEncode(L"a b&c=d/e?"), L"a%20b%26c%3Dd%2Fe%3F");
  EXPECT_EQ(CUtilities::UrlEncode(L"\u00E9\u4E2D"), L"%C3%A9%E4%B8%AD");
  EXPECT_EQ(CUtilities::UrlEncode(L"\U0001F600"), L"%F0%9F%98%80");
}

TEST(Utf8, RoundTripsAndReplacesBrokenInput) {
  const std::wstring text = L"A\u00DF\u4E2D\U0001F600";
  EXPECT_EQ(CUtilities::FromUtf8(CUtilities::ToUtf8(text)), text);
  EXPECT_EQ(CUtilities::FromUtf8("a\xC3"), L"a\uFFFD");
  EXPECT_EQ(CUtilities::ToUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(FileSearchName, CleansRegistryFileStrings) {
  SetEnvironmentVariableW(L"QLM_TEST_DIR", L"C:\\Tools");
  EXPECT_EQ(CUtilities::FileSearchName(L"  \"C:\\Program Files\\A\\a.dll\" /x  "), L"C:\\Program Files\\A\\a.dll");
  EXPECT_EQ(CUtilities::FileSearchName(L"%QLM_TEST_DIR%\\b.dll"), L"C:\\Tools\\b.dll");
  EXPECT_EQ(CUtilities::FileSearchName(L"shdocvw.dll"), L"shdocvw.dll");
  EXPECT_EQ(CUtilities::FileSearchName(L"   "), L"");
  EXPECT_EQ(CUtilities::FileNamePart(L"C:\\x\\y/z.dll"), L"z.dll");
  EXPECT_EQ(CUtilities::FileNamePart(L"plain"), L"plain");
}

TEST(VersionStrings, ReadsTheBlockTheFileDeclares) {
  const auto own = CUtilities::GetVersionStrings(qlmtest::DistFolder() + L"\\ozCore.dll");
  EXPECT_EQ(own.Item(L"CompanyName"), L"Quillmoor Team");
  EXPECT_EQ(own.Item(L"productname"), L"Quillmoor");  // names compare without case

  const auto german = CUtilities::GetVersionStrings(qlmtest::FixtureFolder() + L"\\fx_german.dll");
  EXPECT_EQ(german.Item(L"CompanyName"), L"Beispiel GmbH");
  EXPECT_EQ(german.Item(L"ProductVersion"), L"2.0");
  EXPECT_EQ(german.Item(L"FileVersion"), L"2.0.1");
  EXPECT_FALSE(german.Exists(L"LegalCopyright"));

  EXPECT_EQ(CUtilities::GetVersionStrings(qlmtest::FixtureFolder() + L"\\fx_noversion.dll").Count(), 0u);
  EXPECT_EQ(CUtilities::GetVersionStrings(L"C:\\no\\such\\file.dll").Count(), 0u);
  EXPECT_EQ(CUtilities::GetVersionStrings(L"").Count(), 0u);
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
