// What only Windows answers: the platform's check of the signatures of
// fixture files signed when the tests were built, and the account names of
// security identifiers. (Everything the engine makes of them is tested
// natively, over a machine in memory.)
#include <gtest/gtest.h>

#include <tuple>

#include "StringIds.h"
#include "core/Strings.h"
#include "engine/files/FileGate.h"
#include "engine/files/FileResolver.h"
#include "engine/files/FileSignature.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/live/LiveMachine.h"
#include "engine/sources/AccountNames.h"
#include "engine/state/AddonStateRules.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

// The text of the fixtures' signer.
std::wstring Signed() { return discovery::state::Substitute(LoadStr(IDS_SIGNED_BY), L"Quillmoor Test Signer"); }

// The signature text the listing gives an entry's file.
std::wstring SignatureOf(discovery::DiscoveryRun& run, const std::wstring& file, bool noted = false) {
  engine::AddonEntry entry;
  entry.file = file;
  if (noted) entry.fileNote = engine::FileNote::NetworkPath;
  return run.SignatureText(entry);
}

}  // namespace

// Signed, unsigned, and signed then altered; a network path is never
// handed to the check or the file system.
TEST(DiscoverySignature, FixtureFilesAndPathsNotOpened) {
  // Each text stands for one answer of the platform's check (NativeTrustAnswer).
  const std::wstring folder = FixtureFolder();
  FileResolver files(true);
  engine::LiveMachine machine(files);
  discovery::DiscoveryRun run(machine.Sources());
  auto textOf = [&](const std::wstring& file, bool noted = false) { return SignatureOf(run, file, noted); };
  EXPECT_EQ(textOf(folder + L"\\fx_signed.dll"), Signed());
  EXPECT_EQ(textOf(folder + L"\\fx_company.dll"), LoadStr(IDS_NOT_SIGNED));
  EXPECT_EQ(textOf(folder + L"\\fx_tampered.dll"), LoadStr(IDS_SIGNATURE_BAD_DIGEST));
  EXPECT_EQ(textOf(folder + L"\\no-such-file.dll"), LoadStr(IDS_SIGNATURE_NO_FILE));
  EXPECT_EQ(textOf(L""), LoadStr(IDS_SIGNATURE_NO_FILE));
  discovery::FileGate::Observer observer;
  EXPECT_EQ(textOf(L"\\\\quill-host.invalid\\share\\x.dll"), LoadStr(IDS_SIGNATURE_NETWORK_PATH));
  EXPECT_EQ(textOf(L"\\\\.\\PhysicalDrive0"), LoadStr(IDS_SIGNATURE_DEVICE_PATH));
  EXPECT_EQ(textOf(L"C:\\x.dll", true), LoadStr(IDS_SIGNATURE_NETWORK_PATH));
  EXPECT_TRUE(observer.Paths().empty());
}

// The adware's move: the signed file overwritten in place by an unsigned one
// of the same size, its write time set back. The next listing checks again.
TEST(DiscoverySignature, AFileReplacedInPlaceIsCheckedAgain) {
  TempFolder tmp;
  const std::wstring file = tmp.File(L"addon.dll");
  const std::string signedBytes = ReadBytes(FixtureFolder() + L"\\fx_signed.dll");
  std::string unsignedBytes = ReadBytes(FixtureFolder() + L"\\fx_company.dll");
  ASSERT_LT(unsignedBytes.size(), signedBytes.size());
  unsignedBytes.resize(signedBytes.size(), '\0');  // bytes after the image: still no signature
  WriteBytes(file, signedBytes);
  FileResolver files(true);
  engine::LiveMachine machine(files);
  auto listed = [&] {
    discovery::DiscoveryRun run(machine.Sources());
    return SignatureOf(run, file);
  };
  auto stamp = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    return std::make_tuple(data.nFileSizeLow, data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
  };
  EXPECT_EQ(listed(), Signed());
  const auto before = stamp();
  FILETIME written{};
  written.dwLowDateTime = std::get<1>(before), written.dwHighDateTime = std::get<2>(before);
  WriteBytes(file, unsignedBytes);
  {
    UniqueFile handle(CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(handle.get(), nullptr, nullptr, &written));
  }
  ASSERT_EQ(stamp(), before);
  EXPECT_EQ(listed(), LoadStr(IDS_NOT_SIGNED));
}

// The machine's names of accounts, without the domain; a SID no account
// has, or a text that is no SID, has none.
TEST(DiscoveryAccounts, SidsNameTheirAccounts) {
  FileResolver files(true);
  engine::LiveMachine machine(files);
  const auto& name = machine.Sources().accountName;
  EXPECT_EQ(name(L"S-1-5-18"), L"SYSTEM");
  EXPECT_EQ(name(L"S-1-1-0"), L"Everyone");
  EXPECT_EQ(name(L"S-1-5-32-544"), L"Administrators");
  EXPECT_EQ(name(L"S-1-5-99999-1"), L"");
  wchar_t user[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(name(AccountNames::TokenUserSid(GetCurrentProcessToken())), user);
  EXPECT_EQ(name(L"S-1-5-4294967296"), L"");
  EXPECT_EQ(name(L"Users"), L"");
}
