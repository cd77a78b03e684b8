// An add-on's state as read from the real registry: each store the browser
// reads, their precedence, both views of the machine's policies, a record's
// users; and the signatures of fixture files signed when the tests were
// built.
#include <gtest/gtest.h>

#include <tuple>

#include "StringIds.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/live/LiveListing.h"
#include "engine/kinds/AddonRecord.h"
#include "discovery/AddonWorld.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/files/FileGate.h"
#include "engine/files/FileResolver.h"
#include "engine/files/FileSignature.h"
#include "support/RegFixture.h"
#include "support/TestSupport.h"

using namespace qlmtest;
using discovery::AddonStateReader;

namespace {

const std::wstring kPolicyList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Ext\\CLSID";
const std::wstring kPolicyExt = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Ext";
const std::wstring kRestrictions = L"Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
const std::wstring kMain = L"Software\\Microsoft\\Internet Explorer\\Main";
const std::wstring kMainPolicy = L"Software\\Policies\\Microsoft\\Internet Explorer\\Main";

// The text of the fixtures' signer.
std::wstring Signed() { return discovery::state::Substitute(LoadStr(IDS_SIGNED_BY), L"Quillmoor Test Signer"); }

}  // namespace

// One table of cases: what each store says, alone and together, for one
// user and the add-on read in the native view.
TEST(DiscoveryState, EachStoreAndTheirPrecedence) {
  const std::wstring id = NewClsid();
  const std::wstring user = FakeUserSid(1);
  const std::wstring u = user + L"\\";
  const std::wstring settings = u + discovery::AddonSettingsPath(id);
  using Setup = std::function<void(RegFixture&)>;
  struct Case {
    const char* what;
    Setup setup;
    unsigned expected;  // the state's text; "%1" is the user
    bool noManagement = false;
  };
  const Case cases[] = {
      {"nothing set", [](RegFixture&) {}, IDS_STATE_ON},
      {"turned off by the user",
       [&](RegFixture& r) {
         r.Dword(HKEY_USERS, settings, L"Flags", 1);
         r.String(HKEY_USERS, settings, L"Version", L"*");
       },
       IDS_STATE_OFF_FOR},
      {"flags without the version mark",
       [&](RegFixture& r) {
         r.Dword(HKEY_USERS, settings, L"Flags", 1);
         r.String(HKEY_USERS, settings, L"Version", L"8.0");
       },
       IDS_STATE_ON},
      {"flags stored as text are no flags",
       [&](RegFixture& r) {
         r.String(HKEY_USERS, settings, L"Flags", L"1");
         r.String(HKEY_USERS, settings, L"Version", L"*");
       },
       IDS_STATE_ON},
      {"machine list blocks (text)", [&](RegFixture& r) { r.String(HKEY_LOCAL_MACHINE, kPolicyList, id, L"0"); },
       IDS_STATE_BLOCKED},
      {"machine list blocks (number)", [&](RegFixture& r) { r.Dword(HKEY_LOCAL_MACHINE, kPolicyList, id, 0); },
       IDS_STATE_BLOCKED},
      {"machine list allows over the user's mark",
       [&](RegFixture& r) {
         r.String(HKEY_LOCAL_MACHINE, kPolicyList, id, L"1");
         r.Dword(HKEY_USERS, settings, L"Flags", 1);
         r.String(HKEY_USERS, settings, L"Version", L"*");
       },
       IDS_STATE_ALLOWED},
      {"user may change: the mark decides",
       [&](RegFixture& r) {
         r.String(HKEY_LOCAL_MACHINE, kPolicyList, id, L"2");
         r.Dword(HKEY_USERS, settings, L"Flags", 3);
         r.String(HKEY_USERS, settings, L"Version", L"*");
       },
       IDS_STATE_OFF_FOR},
      {"the user's list wins",
       [&](RegFixture& r) {
         r.String(HKEY_LOCAL_MACHINE, kPolicyList, id, L"0");
         r.String(HKEY_USERS, u + kPolicyList, id, L"1");
       },
       IDS_STATE_ALLOWED},
      {"only listed add-ons: not listed",
       [&](RegFixture& r) { r.Dword(HKEY_LOCAL_MACHINE, kPolicyExt, L"RestrictToList", 1); }, IDS_STATE_BLOCKED},
      {"only listed add-ons: listed",
       [&](RegFixture& r) {
         r.Dword(HKEY_LOCAL_MACHINE, kPolicyExt, L"RestrictToList", 1);
         r.String(HKEY_LOCAL_MACHINE, kPolicyList, id, L"1");
       },
       IDS_STATE_ALLOWED},
      {"every add-on off (settings)",
       [&](RegFixture& r) { r.String(HKEY_USERS, u + kMain, L"Enable Browser Extensions", L"no"); },
       IDS_STATE_ALL_OFF_FOR},
      {"every add-on off (policy branch)",
       [&](RegFixture& r) { r.String(HKEY_USERS, u + kMainPolicy, L"Enable Browser Extensions", L"No"); },
       IDS_STATE_ALL_OFF_FOR},
      {"extensions enabled", [&](RegFixture& r) { r.String(HKEY_USERS, u + kMain, L"Enable Browser Extensions", L"yes"); },
       IDS_STATE_ON},
      {"no management (machine)",
       [&](RegFixture& r) { r.Dword(HKEY_LOCAL_MACHINE, kRestrictions, L"NoExtensionManagement", 1); }, IDS_STATE_ON, true},
      {"no management (user)",
       [&](RegFixture& r) { r.Dword(HKEY_USERS, u + kRestrictions, L"NoExtensionManagement", 1); }, IDS_STATE_ON, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RegFixture reg;
    reg.Key(HKEY_USERS, user + L"\\Software");
    c.setup(reg);
    FileResolver files(true);
    discovery::DiscoveryRun run(files, RegView::Native);
    AddonStateReader reader(run);
    const auto facts = reader.Read(id, RegView::Native, {user});
    ASSERT_EQ(facts.states.size(), 1u);
    EXPECT_EQ(discovery::state::SummaryText(facts.machine, facts.users, facts.states, discovery::StateTextsFromTable()),
              discovery::state::Substitute(LoadStr(c.expected), user));
    EXPECT_EQ(facts.states[0].noManagement, c.noManagement);
  }
}

// The machine's policies are read in the view the add-on was found in;
// a machine entry applies to every signed-in user, a user's entry to its
// own user only.
TEST(DiscoveryState, ViewsAndUsersOfARecord) {
  const std::wstring id = NewClsid();
  const std::wstring ann = FakeUserSid(2), bo = FakeUserSid(3);
  RegFixture reg;
  reg.Key(HKEY_USERS, ann + L"\\Software");
  reg.Key(HKEY_USERS, bo + L"\\Software");
  {
    CRegistry wow(RegView::Wow32);
    ASSERT_TRUE(wow.WriteString(HKEY_LOCAL_MACHINE, kPolicyList, id, L"0"));
  }
  FileResolver files(true);
  discovery::DiscoveryRun run(files);
  AddonStateReader reader(run);
  const auto in32 = reader.Read(id, RegView::Wow32, {ann});
  ASSERT_EQ(in32.states.size(), 1u);
  EXPECT_EQ(in32.states[0].verdict, discovery::state::Verdict::Blocked);
  // The value is removed through the same view it was written in.
  CRegistry(RegView::Wow32).DeleteValue(HKEY_LOCAL_MACHINE, kPolicyList, id);

  const auto& loaded = reader.LoadedUsers();
  EXPECT_NE(std::find(loaded.begin(), loaded.end(), ann), loaded.end());
  EXPECT_NE(std::find(loaded.begin(), loaded.end(), bo), loaded.end());
  for (const auto& key : loaded) {
    EXPECT_EQ(key.find(L"_Classes"), std::wstring::npos) << Narrow(key);
    EXPECT_EQ(key.rfind(L"S-", 0), 0u) << Narrow(key);
  }

  CResultNode machine;
  machine.ID = id;
  machine.params.Add(discovery::keys::kKey, discovery::RootNumber(HKEY_LOCAL_MACHINE));
  EXPECT_EQ(reader.UsersOf(machine), loaded);
  CResultNode own;
  own.ID = id;
  own.params.Add(discovery::keys::kKey, discovery::RootNumber(HKEY_USERS));
  own.params.Add(discovery::keys::kHive, bo + L"\\Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser");
  EXPECT_EQ(reader.UsersOf(own), std::vector<std::wstring>{bo});

  // Off for bo only: the machine entry names bo, the user entry too; a
  // hostile id is not read at all.
  const std::wstring settings = bo + L"\\" + discovery::AddonSettingsPath(id);
  reg.Dword(HKEY_USERS, settings, L"Flags", 1);
  reg.String(HKEY_USERS, settings, L"Version", L"*");
  const auto& toolbars = discovery::Kind(TableId::kToolbars);
  EXPECT_EQ(reader.StateText(toolbars, own), discovery::state::Substitute(LoadStr(IDS_STATE_OFF_FOR), bo));
  const std::wstring machineText = reader.StateText(toolbars, machine);
  EXPECT_NE(machineText.find(discovery::state::Substitute(LoadStr(IDS_STATE_OFF_FOR), L"")), std::wstring::npos) << Narrow(machineText);
  EXPECT_NE(machineText.find(bo), std::wstring::npos);
  EXPECT_EQ(machineText.find(ann), std::wstring::npos);
  CResultNode hostile = own;
  hostile.ID = id + L"\\..";
  EXPECT_EQ(reader.StateText(toolbars, hostile), L"n/a");
  EXPECT_EQ(reader.StateText(discovery::Kind(TableId::kMenuExtensions), own), L"n/a");
}

// The whole listing carries the values, last: a toolbar turned off for a
// user shows so, and its file's signature is given.
TEST(DiscoveryState, TheListingCarriesStateAndSignature) {
  const std::wstring id = NewClsid(), user = FakeUserSid(4);
  RegFixture reg;
  reg.String(HKEY_CLASSES_ROOT, L"CLSID\\" + id, L"", L"Quill State Bar");
  reg.String(HKEY_CLASSES_ROOT, L"CLSID\\" + id + L"\\InProcServer32", L"", FixtureFolder() + L"\\fx_signed.dll");
  const std::wstring list = user + L"\\" + discovery::Kind(TableId::kToolbars).userPath;
  reg.String(HKEY_USERS, list, id, L"");
  const std::wstring settings = user + L"\\" + discovery::AddonSettingsPath(id);
  reg.Dword(HKEY_USERS, settings, L"Flags", 1);
  reg.String(HKEY_USERS, settings, L"Version", L"*");

  FileResolver files(true);
  const auto listing = discovery::ListAddons(discovery::Kind(TableId::kToolbars), files);
  ASSERT_TRUE(listing.has_value());
  const CResultNode* found = Find(*listing, id);
  ASSERT_NE(found, nullptr);
  const std::size_t n = found->params.Count();
  ASSERT_GE(n, 2u);
  EXPECT_EQ(found->params.At(n - 1)->Key(), L"state");
  EXPECT_EQ(found->params.At(n - 1)->Text(), discovery::state::Substitute(LoadStr(IDS_STATE_OFF_FOR), user));
  EXPECT_EQ(found->params.At(n)->Key(), L"signature");
  EXPECT_EQ(found->params.At(n)->Text(), Signed());
}

// Signed, unsigned, and signed then altered; a network path is never
// handed to the check or the file system.
TEST(DiscoverySignature, FixtureFilesAndPathsNotOpened) {
  const std::wstring folder = FixtureFolder();
  const auto signedCheck = discovery::CheckFileSignature(folder + L"\\fx_signed.dll");
  EXPECT_EQ(signedCheck.result, 0u);
  EXPECT_EQ(signedCheck.signer, L"Quillmoor Test Signer");
  EXPECT_EQ(discovery::CheckFileSignature(folder + L"\\fx_company.dll").result,
            static_cast<std::uint32_t>(TRUST_E_NOSIGNATURE));
  EXPECT_EQ(discovery::CheckFileSignature(folder + L"\\fx_tampered.dll").result,
            static_cast<std::uint32_t>(TRUST_E_BAD_DIGEST));

  FileResolver files(true);
  discovery::DiscoveryRun run(files);
  auto textOf = [&](const std::wstring& file, bool noted = false) {
    CResultNode record;
    record.params.Add(discovery::keys::kDll, file);
    if (noted) record.params.Add(discovery::keys::kFileNote, LoadStr(IDS_NETWORK_PATH_NOT_OPENED));
    return run.SignatureText(record);
  };
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
  auto listed = [&] {
    discovery::DiscoveryRun run(files);
    CResultNode record;
    record.params.Add(discovery::keys::kDll, file);
    return run.SignatureText(record);
  };
  auto stamp = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    return std::make_tuple(data.nFileSizeLow, data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime);
  };
  EXPECT_EQ(listed(), L"Signed by Quillmoor Test Signer");
  const auto before = stamp();
  FILETIME written{};
  written.dwLowDateTime = std::get<1>(before), written.dwHighDateTime = std::get<2>(before);
  WriteBytes(file, unsignedBytes);
  {
    UniqueFile handle(CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(handle.get(), nullptr, nullptr, &written));
  }
  ASSERT_EQ(stamp(), before);
  EXPECT_EQ(listed(), L"Not signed");
}
