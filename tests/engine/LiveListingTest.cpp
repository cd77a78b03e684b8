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
                                    fromLive.views, fromLive.usersNotSignedIn};
  for (const discovery::AddonKind& kind : discovery::AddonKinds()) {
    SCOPED_TRACE(Narrow(kind.typeName));
    const std::vector<std::wstring> lines = Listed(kind, fromLive, ids);
    const auto written = std::count_if(world.begin(), world.end(), [&](const auto& e) { return e.first == kind.id; });
    EXPECT_EQ(static_cast<std::ptrdiff_t>(lines.size()), written);
    EXPECT_EQ(lines, Listed(kind, fromExport, ids));
  }
}
