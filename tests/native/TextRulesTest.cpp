// The common library's text rules: environment references, numbered
// markers, percent-encoding and UTF-8.
#include <gtest/gtest.h>

#include <map>

#include "ozcore/EnvText.h"
#include "ozcore/FormatText.h"
#include "ozcore/UrlText.h"
#include "ozcore/Utf8Text.h"

namespace {

TEST(NativeEnvText, ExpandsSetVariablesAndKeepsTheRestAsWritten) {
  const std::map<std::wstring, std::wstring> env = {{L"PF", L"C:\\Program Files (x86)"}, {L"B", L"b"}};
  const envtext::Lookup lookup = [&](const std::wstring& name) -> std::optional<std::wstring> {
    auto it = env.find(name);
    if (it == env.end()) return std::nullopt;
    return it->second;
  };
  EXPECT_EQ(envtext::Expand(L"%PF%\\Vendor\\x.dll", lookup), L"C:\\Program Files (x86)\\Vendor\\x.dll");
  // An unset name stays, and its closing "%" may open the next reference.
  EXPECT_EQ(envtext::Expand(L"%nope%B%", lookup), L"%nopeb");
  EXPECT_EQ(envtext::Expand(L"100%", lookup), L"100%");
  EXPECT_EQ(envtext::Expand(L"%%B%", lookup), L"%b");
  EXPECT_EQ(envtext::Expand(std::wstring(L"a\0%B%", 5), lookup), std::wstring(L"a\0b", 3));
  EXPECT_EQ(envtext::Expand(L"%B%%B%", lookup), L"bb");
}

TEST(NativeFormatText, ReplacesInOnePass) {
  EXPECT_EQ(formattext::Format(L"%1 (%2)", {L"Bar", L"2"}), L"Bar (2)");
  // Text an argument brings in is never replaced again.
  EXPECT_EQ(formattext::Format(L"%1 and %2", {L"%2", L"%1"}), L"%2 and %1");
  EXPECT_EQ(formattext::Format(L"Are you sure you want to delete %1?", {L"100%1 off"}),
            L"Are you sure you want to delete 100%1 off?");
  // Markers without an argument, and a lone "%", stay as they are.
  EXPECT_EQ(formattext::Format(L"%1 %3 % %", {L"a"}), L"a %3 % %");
  EXPECT_EQ(formattext::Format(L"[%1]%3%3", {L"x", L"y", L"\r\n"}), L"[x]\r\n\r\n");
  // With fewer than ten arguments "%10" is argument 1 followed by "0".
  EXPECT_EQ(formattext::Format(L"%10", {L"a"}), L"a0");
  std::vector<std::wstring> ten = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"ten"};
  EXPECT_EQ(formattext::Format(L"%10!", ten), L"ten!");
}

TEST(NativeUrlText, EncodesUtf8Bytes) {
  EXPECT_EQ(urltext::PercentEncode(L"abc-_.~XYZ09"), L"abc-_.~XYZ09");
  EXPECT_EQ(urltext::PercentEncode(L"a b&c=d/e?"), L"a%20b%26c%3Dd%2Fe%3F");
  EXPECT_EQ(urltext::PercentEncode(L"\u00E9\u4E2D"), L"%C3%A9%E4%B8%AD");
  EXPECT_EQ(urltext::PercentEncode(L"\U0001F600"), L"%F0%9F%98%80");
}

TEST(NativeUtf8Text, RoundTripsAndReplacesBrokenInput) {
  // Text holds UTF-16 units: a character past the first plane as a pair.
  const std::wstring text = L"A\u00DF\u4E2D\xD83D\xDE00";
  EXPECT_EQ(utf8text::FromUtf8(utf8text::ToUtf8(text)), text);
  EXPECT_EQ(utf8text::FromUtf8("a\xC3"), L"a\uFFFD");
  EXPECT_EQ(utf8text::ToUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
