// The file behind an add-on on real paths: the forms a registry file
// string takes (short 8.3 names among them), the gate that opens local
// files only, the properties window. The resolution rules, indirect strings
// and version details are tested natively over files in memory.
#include <gtest/gtest.h>

#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/files/FileResolver.h"
#include "engine/files/FileGate.h"
#include "engine/files/IndirectString.h"
#include "engine/files/FileProperties.h"
#include "ozcore/CParams.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/live/LiveMachine.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

std::wstring SystemFolder() {
  wchar_t buf[MAX_PATH] = {};
  GetSystemDirectoryW(buf, MAX_PATH);
  return buf;
}

}  // namespace

TEST(DiscoveryFiles, FileCheckerForms) {
  const std::wstring fx = FixtureFolder();
  const std::wstring company = fx + L"\\fx_company.dll";
  const std::wstring shortCompany = ShortPath(company);
  ASSERT_FALSE(shortCompany.empty());
  ASSERT_NE(shortCompany, company) << "the fixture needs a long name";

  // What only real files show: 8.3 names and the system's search. (The
  // other forms of a file string: NativeSourceFileFacts, whose rules this
  // resolver shares.)
  struct Case {
    std::wstring input, answer;
  };
  const Case cases[] = {
      {L"shdocvw.dll", SystemFolder() + L"\\shdocvw.dll"},
      {shortCompany, company},
      {L"\\??\\" + shortCompany, company},
      {L"\"" + shortCompany + L"\" /embedding", company},
      {L"C:\\nowhere\\missing.dll", L"C:\\nowhere\\missing.dll"},
  };
  FileResolver checker(true);
  for (const auto& c : cases) EXPECT_EQ(checker.GetFullFileNameFromShortFilename(c.input), c.answer) << Narrow(c.input);
}

TEST(DiscoveryFiles, PropertiesOfAMissingFileAreRefused) {
  EXPECT_FALSE(FileProperties::ShowFileProperties(L"", nullptr));
  EXPECT_FALSE(FileProperties::ShowFileProperties(L"C:\\nowhere\\gone.dll", nullptr));
}

TEST(DiscoveryFiles, TheGateOpensLocalFilesOnly) {
  using discovery::FileGate;
  const std::wstring fx = FixtureFolder();
  const std::wstring strings = fx + L"\\fx_strings.dll";
  // A share in PATH, and a variable naming a share.
  wchar_t oldPath[8192] = {};
  const DWORD n = GetEnvironmentVariableW(L"PATH", oldPath, 8192);
  ASSERT_TRUE(n > 0 && n < 8192);
  SetEnvironmentVariableW(L"PATH", (L"\\\\qlmhost\\bin;//qlmhost/b2;\\\\.\\pipe;" + std::wstring(oldPath)).c_str());
  SetEnvironmentVariableW(L"QLM_GATE_SHARE", L"\\\\qlmhost\\s");
  SetEnvironmentVariableW(L"QLM_GATE_FX", fx.c_str());

  FileGate::Observer observer;
  const std::wstring refused[] = {L"\\\\qlmhost\\s\\x.dll", L"\\??\\UNC\\qlmhost\\s\\x.dll",
                                  L"\\\\.\\pipe\\qlmpipe", L"C:\\qlm\\con.dll", L"\\\\?\\UNC\\qlmhost\\s\\x.dll",
                                  L"file://qlmhost/s/x.dll"};
  for (const auto& path : refused) {
    EXPECT_EQ(FileGate::Search(path), L"") << Narrow(path);
    EXPECT_EQ(FileGate::LongName(path), L"") << Narrow(path);
    EXPECT_FALSE(FileGate::FileExists(path)) << Narrow(path);
    EXPECT_EQ(FileGate::VersionStrings(path).Count(), 0u) << Narrow(path);
    EXPECT_NE(FileGate::Kind(path), discovery::PathKind::Local) << Narrow(path);
  }
  for (const auto* text : {L"@\\\\qlmhost\\s\\x.dll,-101", L"@%QLM_GATE_SHARE%\\x.dll,-101", L"@\\\\.\\pipe\\x,-1"})
    EXPECT_EQ(FileGate::IndirectString(text, false), text);
  EXPECT_TRUE(observer.Paths().empty()) << Narrow(observer.Paths().front());

  // Local files are opened, a bare name searched along the local folders
  // only; whatever reaches the file system is local.
  EXPECT_FALSE(FileGate::Search(L"shdocvw.dll").empty());
  EXPECT_EQ(FileGate::Search(L"qlm-no-such-file.dll"), L"");
  EXPECT_TRUE(FileGate::FileExists(strings));
  EXPECT_EQ(FileGate::VersionStrings(strings).Item(L"CompanyName"), L"Indirect Strings Inc");
  EXPECT_EQ(FileGate::VersionStrings(L"fx_strings.dll").Count(), 0u);  // no search of its own
  EXPECT_EQ(FileGate::IndirectString(L"@%QLM_GATE_FX%\\fx_strings.dll,-102", false), L"Fixture Menu");
  EXPECT_EQ(FileGate::IndirectString(L"@" + strings + L",-999", false), L"@" + strings + L",-999");
  SetEnvironmentVariableW(L"PATH", oldPath);
  const auto paths = observer.Paths();
  EXPECT_FALSE(paths.empty());
  for (const auto& path : paths) {
    EXPECT_EQ(discovery::ClassifyPath(path), discovery::PathKind::Local) << Narrow(path);
    EXPECT_EQ(path.find(L"qlmhost"), std::wstring::npos) << Narrow(path);
  }
}
