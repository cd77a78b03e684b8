// Every kind listed, states included, from the prefix's live registry and
// from Wine's own export of the same registry read into memory gives the
// same records: the live source reads the machine's two views, the users'
// hives and the merged classes as the engine reads any other source.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "engine/files/FileResolver.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/live/LiveMachine.h"
#include "engine/sources/MemoryRegistry.h"
#include "engine/sources/RegFileReader.h"
#include "core/Strings.h"
#include "ozcore/FormatText.h"
#include "support/KindEntries.h"
#include "support/RecordText.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

void ReadExport(const std::wstring& tree, engine::MemoryRegistry& into, const TempFolder& tmp) {
  const std::wstring file = tmp.File(L"export.reg");
  ASSERT_EQ(RunProcess(L"\"" + RegExe() + L"\" export \"" + tree + L"\" \"" + file + L"\" /y"), 0) << Narrow(tree);
  const engine::RegTextOutcome outcome = engine::ReadRegText(ReadUtf16File(file), into);
  EXPECT_TRUE(outcome.hasHeader) << Narrow(tree);
}

// The kind's records of the world's entries, in listing order.
std::vector<std::wstring> Listed(const discovery::AddonKind& kind, engine::MachineSources& machine,
                                 const std::set<std::wstring>& ids) {
  std::vector<engine::AddonEntry> entries = discovery::ListAddons(kind, machine);
  discovery::AddStatesAndSignatures(kind, machine, entries);
  for (auto& entry : entries) entry.lastWrite.reset();  // an export keeps no write times
  const CResultNodes records = discovery::ToRecords(entries);
  std::vector<std::wstring> lines;
  for (std::size_t i = 1; i <= records.Count(); ++i)
    if (ids.count(records.Item(i)->ID)) lines.push_back(Describe(FromNode(*records.Item(i))));
  return lines;
}

}  // namespace

TEST(LiveListing, EveryKindListsFromTheLiveRegistryAsFromItsExport) {
  RegFixture reg;
  KindEntries entries(reg);
  const auto world = AddEveryKindEverywhere(entries);
  std::set<std::wstring> ids;
  for (const auto& [kind, entry] : world) ids.insert(entry.id);
  // The state's stores: the user's own switch, the machine's policy list
  // and the user's list that decides over it.
  const std::wstring settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";
  const std::wstring policyList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Ext\\CLSID";
  reg.Dword(HKEY_CURRENT_USER, settings + world[0].second.id, L"Flags", 1);
  reg.String(HKEY_LOCAL_MACHINE, policyList, world[1].second.id, L"0");
  reg.String(HKEY_CURRENT_USER, policyList, world[1].second.id, L"1");
  reg.String(HKEY_LOCAL_MACHINE, policyList, world[2].second.id, L"0");

  TempFolder tmp;
  engine::MemoryRegistry exported;
  ReadExport(L"HKEY_LOCAL_MACHINE\\Software", exported, tmp);
  ReadExport(L"HKEY_USERS", exported, tmp);
  FileResolver resolver(true);
  engine::LiveMachine live(resolver);
  engine::MachineSources& fromLive = live.Sources();
  engine::MachineSources fromExport{exported, fromLive.files, fromLive.accountName, fromLive.classesUser,
                                    fromLive.views, {}};
  for (const discovery::AddonKind& kind : discovery::AddonKinds()) {
    SCOPED_TRACE(Narrow(kind.typeName));
    const std::vector<std::wstring> lines = Listed(kind, fromLive, ids);
    const auto written = std::count_if(world.begin(), world.end(), [&](const auto& e) { return e.first == kind.id; });
    EXPECT_EQ(static_cast<std::ptrdiff_t>(lines.size()), written);
    EXPECT_EQ(lines, Listed(kind, fromExport, ids));
  }
}

// Users who are not signed in: their hive is not loaded, so their entries
// come from their profile's NTUSER.DAT (written by the peer hive writer),
// read without loading or changing it. A hive that is loaded is never read
// from a file, nor is a file in a loaded profile's folder.
TEST(LiveListing, UsersNotSignedInAreReadFromTheirProfilesHive) {
  const std::wstring profileList = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
  const std::wstring signedOut = L"S-1-5-21-7-7-7-1234", sameFolder = L"S-1-5-21-7-7-7-1235";
  const std::wstring fixture = FixtureFolder() + L"\\signed-out-user.dat";
  TempFolder profile;
  ASSERT_TRUE(CopyFileW(fixture.c_str(), profile.File(L"NTUSER.DAT").c_str(), TRUE));
  // The prefix's signed-in user: its profile folder gets the same hive.
  const std::wstring loaded = L"S-1-5-21-0-0-0-1000";
  wchar_t loadedFolder[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%USERPROFILE%", loadedFolder, MAX_PATH);
  const std::wstring plantedInLoaded = std::wstring(loadedFolder) + L"\\NTUSER.DAT";
  ASSERT_TRUE(CopyFileW(fixture.c_str(), plantedInLoaded.c_str(), TRUE)) << "the prefix has a hive file there";
  struct Unplant {
    std::wstring path;
    ~Unplant() { DeleteFileW(path.c_str()); }
  } unplant{plantedInLoaded};
  RegFixture reg;
  ASSERT_TRUE(KeyPresent(HKEY_USERS, loaded));
  reg.String(HKEY_LOCAL_MACHINE, profileList + signedOut, L"ProfileImagePath", profile.Path(), REG_EXPAND_SZ);
  reg.String(HKEY_LOCAL_MACHINE, profileList + sameFolder, L"ProfileImagePath", L"%USERPROFILE%", REG_EXPAND_SZ);
  reg.String(HKEY_LOCAL_MACHINE, profileList + loaded, L"ProfileImagePath", loadedFolder);
  // A profile whose hive file is no hive: not read, and qmscan says so.
  const std::wstring unreadable = L"S-1-5-21-7-7-7-1236";
  TempFolder broken;
  WriteBytes(broken.File(L"NTUSER.DAT"), "not a hive");
  reg.String(HKEY_LOCAL_MACHINE, profileList + unreadable, L"ProfileImagePath", broken.Path());

  FileResolver resolver(true);
  engine::LiveMachine live(resolver);
  EXPECT_EQ(live.Sources().usersNotSignedIn, std::vector<std::wstring>{signedOut});
  EXPECT_EQ(live.UsersNotRead(), std::vector<std::wstring>{unreadable});
  const auto scan = RunCaptured(L"\"" + DistFolder() + L"\\qmscan.exe\" --json");
  EXPECT_EQ(scan.code, 1);
  EXPECT_NE(scan.err.find("S-1-5-21-7-7-7-1236 is not signed in"), std::string::npos) << scan.err;
  const discovery::AddonKind* menuExt = nullptr;
  for (const discovery::AddonKind& kind : discovery::AddonKinds())
    if (kind.id == TableId::kMenuExtensions) menuExt = &kind;
  ASSERT_NE(menuExt, nullptr);
  std::vector<std::wstring> owners;
  for (const engine::AddonEntry& entry : discovery::ListAddons(*menuExt, live.Sources())) {
    if (entry.id != L"Signed-out menu") continue;
    owners.push_back(entry.ownerSid);
    EXPECT_EQ(entry.rawFile, L"C:\\signedout\\menu.htm");
    const std::wstring folderName = profile.Path().substr(profile.Path().rfind(L'\\') + 1);
    EXPECT_EQ(entry.scope, formattext::Format(LoadStr(IDS_SCOPE_NOT_SIGNED_IN), {folderName}));
  }
  EXPECT_EQ(owners, std::vector<std::wstring>{signedOut});
  EXPECT_FALSE(KeyPresent(HKEY_USERS, signedOut)) << "the hive was loaded";
  EXPECT_EQ(ReadBytes(profile.File(L"NTUSER.DAT")), ReadBytes(fixture)) << "the hive file was changed";
}
