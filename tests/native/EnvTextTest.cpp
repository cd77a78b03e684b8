#include <gtest/gtest.h>

#include <map>

#include "ozcore/EnvText.h"

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

TEST(NativeEnvText, A32BitProcessReadsItsOwnFolders) {
  EXPECT_EQ(envtext::Wow32Variable(L"programfiles"), L"ProgramFiles(x86)");
  EXPECT_EQ(envtext::Wow32Variable(L"CommonProgramFiles"), L"CommonProgramFiles(x86)");
  EXPECT_EQ(envtext::Wow32Variable(L"ProgramW6432"), L"");
  EXPECT_EQ(envtext::Wow32Variable(L"SystemRoot"), L"");
  EXPECT_EQ(envtext::Wow32FixedValue(L"Processor_Architecture"), std::optional<std::wstring>(L"x86"));
  EXPECT_FALSE(envtext::Wow32FixedValue(L"ProgramFiles"));
}

}  // namespace
