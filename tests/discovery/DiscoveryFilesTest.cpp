// The file behind an add-on: path resolution and its cache, indirect
// strings, version details, the properties window.
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
  SetEnvironmentVariableW(L"QLM_CHECKER_FX", fx.c_str());

  struct Case {
    std::wstring input, answer;
  };
  const Case cases[] = {
      {L"", L""},
      {company, company},
      {L"shdocvw.dll", SystemFolder() + L"\\shdocvw.dll"},
      {L"\\??\\" + company, company},
      {shortCompany, company},
      {L"\\??\\" + shortCompany, company},
      {L"\"" + company + L"\" /embedding", company},
      {L"  \"" + company + L"\"", company},
      {L"%QLM_CHECKER_FX%\\fx_company.dll", company},
      {L"C:\\nowhere\\missing.dll", L"C:\\nowhere\\missing.dll"},
      {L"\\??\\C:\\nowhere\\missing.dll", L"C:\\nowhere\\missing.dll"},
      {L"javascript:void(0)", L"javascript:void(0)"},
  };
  FileResolver checker(true);
  for (const auto& c : cases) EXPECT_EQ(checker.GetFullFileNameFromShortFilename(c.input), c.answer) << Narrow(c.input);
  // Without long names a short path found stays short.
  FileResolver shortNames(false);
  EXPECT_EQ(shortNames.GetFullFileNameFromShortFilename(shortCompany), shortCompany);
}

TEST(DiscoveryFiles, FileCheckerRemembersEachInputAsPassed) {
  TempFolder tmp;
  const std::wstring file = tmp.File(L"a-rather-long-add-on-name.dll");
  WriteBytes(file, "MZ");
  FileResolver checker(true);
  EXPECT_EQ(checker.GetFullFileNameFromShortFilename(file), file);
  const std::wstring prefixed = L"\\??\\" + file;
  EXPECT_EQ(checker.GetFullFileNameFromShortFilename(prefixed), file);
  EXPECT_EQ(checker.CachedCount(), 2u);  // keyed by the input with its prefix

  // The file goes: the answers given stay for the run, new inputs see it gone.
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_EQ(checker.GetFullFileNameFromShortFilename(file), file);
  EXPECT_EQ(checker.GetFullFileNameFromShortFilename(prefixed), file);
  const std::wstring quoted = L"\"" + file + L"\"";
  EXPECT_EQ(checker.GetFullFileNameFromShortFilename(quoted), quoted);
  EXPECT_EQ(checker.CachedCount(), 3u);
  // Empty input is never cached.
  EXPECT_EQ(checker.GetFullFileNameFromShortFilename(L""), L"");
  EXPECT_EQ(checker.CachedCount(), 3u);
  // A fresh checker looks again.
  FileResolver fresh(true);
  EXPECT_EQ(fresh.GetFullFileNameFromShortFilename(prefixed), file);
}

TEST(DiscoveryFiles, IndirectStringsFromTheFilesStringTable) {
  const std::wstring fx = FixtureFolder();
  const std::wstring strings = fx + L"\\fx_strings.dll";
  SetEnvironmentVariableW(L"QLM_INDIRECT_FX", fx.c_str());
  const std::wstring longText =
      L"A long button text that runs past two hundred and fifty-six characters, so that a reader with a fixed "
      L"buffer of that size would cut it short; the program must give it back whole, every word of it, up to this "
      L"very end of the sentence, which is here: the end.";
  struct Case {
    std::wstring text, result;
  };
  const Case cases[] = {
      {L"@" + strings + L",-101", L"Fixture &Button"},  // "&" is the caller's to remove
      {L"@ " + strings + L" ,-102", L"Fixture Menu"},
      {L"@" + strings + L",-103", longText},
      {L"@%QLM_INDIRECT_FX%\\fx_strings.dll,-104", L"Schaltfl\u00E4che \u041A\u043D\u043E\u043F\u043A\u0430 \u6309\u94AE"},
      {L"@" + ShortPath(strings) + L",-102", L"Fixture Menu"},
      {L"@" + strings + L",-999", L"@" + strings + L",-999"},              // no such string
      {L"@%QLM_NO_SUCH_VARIABLE%\\fx_strings.dll,-101", L"@%QLM_NO_SUCH_VARIABLE%\\fx_strings.dll,-101"},
      {L"@C:\\nowhere\\gone.dll,-101", L"@C:\\nowhere\\gone.dll,-101"},  // no such file
      {L"@" + fx + L"\\fx_noversion.dll,-101", L"@" + fx + L"\\fx_noversion.dll,-101"},  // no string table
      {L"@" + strings, L"@" + strings},                                  // no number piece
      {L"@,", L"@,"},
      {L"Plain text", L"Plain text"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(discovery::LoadIndirectString(c.text), c.result) << Narrow(c.text);
  // The file was loaded as data only and released: it can be replaced.
  TempFolder tmp;
  ASSERT_TRUE(CopyFileW(strings.c_str(), tmp.File(L"copy.dll").c_str(), FALSE));
  EXPECT_EQ(discovery::LoadIndirectString(L"@" + tmp.File(L"copy.dll") + L",-102"), L"Fixture Menu");
  EXPECT_TRUE(DeleteFileW(tmp.File(L"copy.dll").c_str()));
}

TEST(DiscoveryFiles, VersionDetailsOfTheFile) {
  const std::wstring fx = FixtureFolder();
  struct Case {
    std::wstring file;
    std::vector<std::wstring> values;
  };
  const Case cases[] = {
      {fx + L"\\fx_company.dll", {L"manufacturer=Fixture Makers Ltd", L"version=3.1"}},  // product over file version
      {fx + L"\\fx_german.dll", {L"manufacturer=Beispiel GmbH", L"version=2.0"}},
      {fx + L"\\fx_fileonly.dll", {L"version=1.2.3"}},
      {fx + L"\\fx_nocompany.dll", {L"version=5.0"}},
      {fx + L"\\fx_noversion.dll", {L"version="}},
      {L"C:\\nowhere\\gone.dll", {L"version="}},
      {L"", {L"version="}},
  };
  FileResolver resolver(true);
  engine::LiveMachine machine(resolver);
  discovery::DiscoveryRun run(machine.Sources());
  for (const auto& c : cases) {
    engine::AddonEntry entry;
    entry.kind = TableId::kToolbars;
    run.AddFileInfo(entry, run.ResolveFile(c.file, RegView::Native));
    std::vector<std::wstring> values;
    if (entry.manufacturer) values.push_back(L"manufacturer=" + *entry.manufacturer);
    values.push_back(L"version=" + entry.version);
    EXPECT_EQ(values, c.values) << Narrow(c.file);
  }
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
