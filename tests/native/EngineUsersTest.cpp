// The users' hives over a machine in memory: the walk over the machine and
// every user's hive and the scope each gets, the users an add-on's state is
// read for, and where each store of that state is read. The expected values
// are written out by hand from the world each test makes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "StringIds.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"
#include "support/AlteredRegistry.h"
#include "support/MemoryMachine.h"

using discovery::state::Verdict;
using namespace std::string_literals;
using engine::Root;
using engine::Tree;

namespace {

const std::wstring kAnn = L"S-1-5-21-1-1-1-1001", kBo = L"S-1-5-21-1-1-1-1002";
const std::wstring kNulUser(L"S-1-5-21-9\0x", 12);
const std::wstring kId = L"{0000000A-AAAA-BBBB-CCCC-DDDDEEEEFFFF}";
const std::wstring kSettings = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\" + kId;

// The user's own mark that turns the add-on off.
void MarkOff(engine::MemoryRegistry& registry, const std::wstring& user) {
  registry.SetDword(Tree::Users, user + kSettings, L"Flags", 1);
  registry.SetString(Tree::Users, user + kSettings, L"Version", L"*");
}

std::wstring SoftwareOf(Tree tree) { return tree == Tree::Machine ? L"SOFTWARE\\" : kAnn + L"\\Software\\"; }

std::wstring ViewText(RegView view) { return view == RegView::Wow32 ? L"32" : L"64"; }

}  // namespace

// The machine's key once in each view, even without entries; then, in the
// registry's order, each user's hive that has entries, its classes looked
// up in both views. Not a user: a classes hive, a name holding "\". Only a
// SID's account is looked up, once, and only for a hive with entries.
TEST(EngineUsers, TheWalkReadsTheMachineInEachViewThenEachUserWithEntries) {
  qlmtest::MemoryMachine machine;
  qlmtest::AlteredRegistry altered(machine.registry);
  altered.extraUser = kAnn + L"\\Nested";
  machine.accounts = {{kAnn, L"Ann"}, {L"S-1-5-18", L"SYSTEM"}, {L"s-1-5-32-545", L"Users"}, {kNulUser, L"Nul"}};
  std::vector<std::wstring> asked;
  auto account = [&](const std::wstring& sid) { return asked.push_back(sid), machine.sources.accountName(sid); };
  engine::MachineSources sources{altered, machine.files, account, L"", machine.sources.views, {}};
  const std::wstring walk = L"\\Software\\Walk";
  machine.registry.CreateKey(Tree::Machine, L"SOFTWARE\\Walk");
  for (const std::wstring& user : {kAnn, L".DEFAULT"s, L"S-1-5-18"s, L"S-1-5-21-2"s, L"s-1-5-32-545"s, L"Plain"s,
                                   kAnn + L"_Classes", kNulUser, altered.extraUser})
    machine.registry.SetString(Tree::Users, user + walk, L"v", L"");
  machine.registry.CreateKey(Tree::Users, L"S-1-5-21-3" + walk);  // no entries

  // A location as "root|path|scope|names|entries view:class views".
  std::vector<std::wstring> calls;
  discovery::DiscoveryRun run(sources);
  auto record = [&](const discovery::Location& at) {
    std::wstring line = (at.root == Root::Machine ? L"M|" : L"U|") + at.path + L"|" + at.scope + L"|";
    for (const auto& name : at.names) line += name + L",";
    line += L"|" + ViewText(at.views.entries) + L":";
    for (const RegView view : at.views.classes) line += ViewText(view);
    calls.push_back(line);
  };
  discovery::WalkHives(run, L"Software\\Walk", walk, discovery::EntryNames::Values, record);
  const std::wstring machineCall = L"M|Software\\Walk|" + LoadStr(IDS_SCOPE_EVERYONE) + L"||";
  auto userCall = [&](const std::wstring& user, const std::wstring& scope) {
    return L"U|" + user + walk + L"|" + scope + L"|v,|64:6432";
  };
  const std::vector<std::wstring> expected = {
      machineCall + L"64:64",           machineCall + L"32:32",  userCall(L".DEFAULT", LoadStr(IDS_SCOPE_DEFAULT)),
      userCall(L"Plain", L""),          userCall(L"S-1-5-18", L"SYSTEM"), userCall(kAnn, L"Ann"),
      userCall(L"S-1-5-21-2", L""),     userCall(kNulUser, L"Nul"),       userCall(L"s-1-5-32-545", L"")};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"S-1-5-18", kAnn, L"S-1-5-21-2", kNulUser}));

  // A machine key both views share: read once, its classes in each view;
  // the accounts already known are not looked up again.
  calls.clear();
  discovery::WalkHives(run, L"Software\\Walk", walk, discovery::EntryNames::Values, record, true);
  ASSERT_EQ(calls.size(), 8u);
  EXPECT_EQ(calls[0], machineCall + L"64:6432");
  EXPECT_EQ(asked.size(), 4u);
}

// One table of cases: each store the browser reads, for one user, read
// where and with the type the browser reads it (how the stores decide
// together: NativeAddonState).
TEST(EngineUsers, EachStoreOfAnAddonsStateIsReadWhereTheBrowserReadsIt) {
  using Write = std::function<void(engine::MemoryRegistry&)>;
  const std::wstring list = L"Microsoft\\Windows\\CurrentVersion\\Policies\\Ext\\CLSID";
  const std::wstring restrictions = L"Policies\\Microsoft\\Internet Explorer\\Restrictions";
  const std::wstring on = L"Enable Browser Extensions";
  // A value below the machine's or the user's "Software" key.
  auto text = [](Tree tree, const std::wstring& path, const std::wstring& name, const std::wstring& data) -> Write {
    return [=](auto& r) { r.SetString(tree, SoftwareOf(tree) + path, name, data); };
  };
  auto number = [](Tree tree, const std::wstring& path, const std::wstring& name, std::uint32_t data) -> Write {
    return [=](auto& r) { r.SetDword(tree, SoftwareOf(tree) + path, name, data); };
  };
  const Write mark = [](auto& r) { MarkOff(r, kAnn); };
  const Tree M = Tree::Machine, U = Tree::Users;
  // "0" as a string read up to its first NUL, but too large to be read.
  const std::wstring hugeZero = std::wstring(L"0") + L'\0' + std::wstring(engine::kMaxReadValueBytes, L'0');
  const struct {
    const char* what;
    std::vector<Write> writes;
    Verdict verdict;
    bool noManagement = false;
    RegView view = RegView::Native;
  } cases[] = {
      {"nothing set", {}, Verdict::On},
      {"turned off by the user", {mark}, Verdict::Off},
      {"flags stored as text are no flags", {mark, text(U, kSettings.substr(10), L"Flags", L"1")},
       Verdict::On},
      {"machine list blocks (text)", {text(M, list, kId, L"0")}, Verdict::Blocked},
      {"machine list blocks (number, id in lower case)",
       {number(M, list, L"{0000000a-aaaa-bbbb-cccc-ddddeeeeffff}", 0)}, Verdict::Blocked},
      {"a rule too large to read is none", {text(M, list, kId, hugeZero)}, Verdict::On},
      {"the user's list wins", {text(M, list, kId, L"0"), text(U, list, kId, L"1")}, Verdict::Allowed},
      {"only listed add-ons: not listed",
       {number(M, L"Microsoft\\Windows\\CurrentVersion\\Policies\\Ext", L"RestrictToList", 1)}, Verdict::Blocked},
      {"every add-on off (settings)", {text(U, L"Microsoft\\Internet Explorer\\Main", on, L"no")},
       Verdict::AllTurnedOff},
      {"every add-on off (policy branch)", {text(U, L"Policies\\Microsoft\\Internet Explorer\\Main", on, L"No")},
       Verdict::AllTurnedOff},
      {"no management (machine)", {number(M, restrictions, L"NoExtensionManagement", 1)}, Verdict::On, true},
      {"no management (user)", {number(U, restrictions, L"NoExtensionManagement", 1)}, Verdict::On, true},
      {"the 32-bit view's machine policies are the native view's keys", {text(M, list, kId, L"0")}, Verdict::Blocked,
       false, RegView::Wow32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qlmtest::MemoryMachine world;
    world.registry.CreateKey(U, kAnn + L"\\Software");
    for (const Write& write : c.writes) write(world.registry);
    discovery::DiscoveryRun run(world.sources);
    const auto facts = discovery::AddonStateReader(run).Read(kId, c.view, {kAnn});
    ASSERT_EQ(facts.states.size(), 1u);
    EXPECT_EQ(facts.states[0].verdict, c.verdict);
    EXPECT_EQ(facts.states[0].noManagement, c.noManagement);
  }
}

// A machine entry's state is read for every signed-in user (SIDs; not the
// service accounts, classes hives or names that reach other keys), a
// user's entry for its own user; the listing carries state and signature
// last; the record's state is the entry's; an id that is no class id, or a
// kind without state, has none.
TEST(EngineUsers, AnAddonsStateIsReadForTheUsersItAppliesTo) {
  qlmtest::MemoryMachine machine;
  machine.accounts = {{kAnn, L"Ann"}, {kBo, L"Bo"}};
  machine.files.Add(L"C:\\Adds\\bar.dll", {{}, {}, L"Signed by Adds"});
  qlmtest::AlteredRegistry altered(machine.registry);
  altered.extraUser = kBo + L"\\Nested";
  engine::MachineSources sources{altered, machine.files, machine.sources.accountName, L"", machine.sources.views, {}};
  for (const std::wstring& hive : {kAnn, kBo, L".DEFAULT"s, L"S-1-5-18"s, L"S-1-5-19"s, L"S-1-5-20"s,
                                   kAnn + L"_Classes", kNulUser, L"s-1-5-21-3"s})
    machine.registry.CreateKey(Tree::Users, hive + L"\\Software");
  machine.registry.SetString(Tree::Machine, L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", kId, L"");
  machine.registry.SetString(Tree::Users, kBo + L"\\Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser", kId,
                             L"");
  machine.registry.SetString(Tree::Machine, L"SOFTWARE\\Classes\\CLSID\\" + kId + L"\\InProcServer32", L"",
                             L"C:\\Adds\\bar.dll");
  // Turned off by Bo, and in hives that are no user's.
  for (const std::wstring& hive : {kBo, kNulUser, altered.extraUser}) MarkOff(machine.registry, hive);

  const discovery::AddonKind& kind = discovery::Kind(TableId::kToolbars);
  const std::vector<engine::AddonEntry> entries = discovery::ListAddons(kind, sources);
  ASSERT_EQ(entries.size(), 2u);  // the machine's, Bo's
  const std::wstring offForBo = discovery::state::Substitute(LoadStr(IDS_STATE_OFF_FOR), L"Bo");
  discovery::DiscoveryRun run(sources);
  discovery::AddonStateReader reader(run);
  EXPECT_EQ(reader.LoadedUsers(), (std::vector<std::wstring>{kAnn, kBo}));
  EXPECT_EQ(reader.UsersOf(entries[0]), (std::vector<std::wstring>{kAnn, kBo}));
  EXPECT_EQ(reader.UsersOf(entries[1]), std::vector<std::wstring>{kBo});
  for (const auto& entry : entries) {
    EXPECT_EQ(entry.state, offForBo);
    EXPECT_EQ(entry.signature, L"Signed by Adds");
    const CResultNode record = discovery::ToRecord(entry);
    EXPECT_EQ(reader.UsersOf(record), reader.UsersOf(entry));
    EXPECT_EQ(reader.StateText(kind, record), offForBo);
    // Last, the file's hash note: these files are not there to be read.
    std::vector<std::wstring> last;
    for (std::size_t i = record.params.Count() - 5; i <= record.params.Count(); ++i)
      last.push_back(record.params.At(i)->Key());
    EXPECT_EQ(last, (std::vector<std::wstring>{L"view", L"state", L"signature", L"source", L"lastWritten", L"hashNote"}));
  }
  engine::AddonEntry hostile = entries[1];
  hostile.id += L"\\..";
  EXPECT_EQ(reader.StateText(kind, hostile), LoadStr(IDS_STATE_NOT_APPLICABLE));
  EXPECT_EQ(reader.StateText(discovery::Kind(TableId::kMenuExtensions), entries[1]),
            LoadStr(IDS_STATE_NOT_APPLICABLE));
}
