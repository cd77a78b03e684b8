// The engine over a machine held in memory: every kind of the table of
// kinds lists exactly the entries a test wrote, where it wrote them (the
// machine's 64-bit keys, the 32-bit Wow6432Node keys, a user's hive), with
// the class, file, maker and version the world gives them. The expected
// records are written out by hand from the world, not derived by the
// program's code.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/DeletionPlan.h"
#include "engine/kinds/FileHashes.h"
#include "engine/kinds/ListingRoutines.h"
#include "StringIds.h"
#include "core/Strings.h"
#include "ozcore/FormatText.h"
#include "support/AlteredRegistry.h"
#include "support/MemoryMachine.h"

using engine::Tree;
using qlmtest::MemoryMachine;

namespace {

constexpr const wchar_t* kUser = L"S-1-5-21-7-7-7-1001";
constexpr const wchar_t* kIe = L"Software\\Microsoft\\Internet Explorer\\";

enum class Where { Machine, Machine32, User };

// The machine's software key of a place, and the classes a process of that
// place's view reads.
std::wstring SoftwareOf(Where where) {
  switch (where) {
    case Where::Machine: return L"SOFTWARE\\";
    case Where::Machine32: return L"SOFTWARE\\Wow6432Node\\";
    case Where::User: return std::wstring(kUser) + L"\\";
  }
  return {};
}
Tree TreeOf(Where where) { return where == Where::User ? Tree::Users : Tree::Machine; }
std::wstring ClassesOf(Where where) {
  return where == Where::Machine32 ? L"SOFTWARE\\Classes\\Wow6432Node\\CLSID\\" : L"SOFTWARE\\Classes\\CLSID\\";
}

struct Written {
  std::wstring id;
  std::wstring hive;  // the record's "hive"; empty: none
  std::int32_t view;
  std::wstring own;   // its own key ("M|path", "U|path") or value ("...|name")
};

std::wstring Own(Where where, const std::wstring& key) { return (where == Where::User ? L"U|" : L"M|") + key; }

// One add-on of the kind at a place: its entry and its class.
using Writer = std::function<Written(MemoryMachine&, Where, const std::wstring& id, const std::wstring& name,
                                     const std::wstring& file)>;

void WriteClass(MemoryMachine& m, Where where, const std::wstring& id, const std::wstring& name,
                const std::wstring& file) {
  const std::wstring key = ClassesOf(where) + id;
  m.registry.SetString(Tree::Machine, key, L"", name);
  m.registry.SetString(Tree::Machine, key + L"\\InProcServer32", L"", file);
}

std::int32_t ViewOf(Where where) { return where == Where::Machine32 ? 32 : 64; }

// An entry that is a value named by the class id in a location.
Writer ValueEntry(const std::wstring& machineLocation, const std::wstring& userLocation) {
  return [=](MemoryMachine& m, Where where, const std::wstring& id, const std::wstring& name,
             const std::wstring& file) {
    const std::wstring location = SoftwareOf(where) + (where == Where::User ? userLocation : machineLocation);
    m.registry.SetString(TreeOf(where), location, id, L"");
    WriteClass(m, where == Where::User ? Where::Machine : where, id, name, file);
    const std::wstring hive = where == Where::User ? location : machineLocation.empty() ? L"" : L"Software\\" + machineLocation;
    return Written{id, hive, ViewOf(where), Own(where, location) + L"|" + id};
  };
}

std::map<std::int32_t, Writer> Writers() {
  std::map<std::int32_t, Writer> writers;
  const std::wstring ie = std::wstring(kIe).substr(9);  // below "Software\"
  writers[TableId::kToolbars] = ValueEntry(ie + L"Toolbar", L"Software\\" + ie + L"Toolbar\\WebBrowser");
  writers[TableId::kUrlSearchHooks] = ValueEntry(ie + L"UrlSearchHooks", L"Software\\" + ie + L"UrlSearchHooks");
  writers[TableId::kButtons] = [](MemoryMachine& m, Where where, const std::wstring& id, const std::wstring& name,
                                  const std::wstring& file) {
    const std::wstring location = SoftwareOf(where) + (where == Where::User ? L"Software\\" : L"") +
                                  L"Microsoft\\Internet Explorer\\Extensions";
    m.registry.SetString(TreeOf(where), location + L"\\" + id, L"buttontext", name);
    m.registry.SetString(TreeOf(where), location + L"\\" + id, L"exec", file);
    return Written{id, where == Where::User ? location : L"Software\\Microsoft\\Internet Explorer\\Extensions",
                   ViewOf(where), Own(where, location + L"\\" + id)};
  };
  writers[TableId::kMenuExtensions] = [](MemoryMachine& m, Where where, const std::wstring&, const std::wstring& name,
                                         const std::wstring& file) {
    const std::wstring location = SoftwareOf(where) + (where == Where::User ? L"Software\\" : L"") +
                                  L"Microsoft\\Internet Explorer\\MenuExt";
    m.registry.SetString(TreeOf(where), location + L"\\" + name, L"", file);
    return Written{name, where == Where::User ? location : L"Software\\Microsoft\\Internet Explorer\\MenuExt",
                   ViewOf(where), Own(where, location + L"\\" + name)};
  };
  writers[TableId::kExplorerBars] = [](MemoryMachine& m, Where where, const std::wstring& id,
                                       const std::wstring& name, const std::wstring& file) {
    WriteClass(m, where, id, name, file);
    const std::wstring member = ClassesOf(where) + id + L"\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}";
    m.registry.CreateKey(Tree::Machine, member);
    return Written{id, L"", ViewOf(where), Own(where, member)};
  };
  writers[TableId::kHelperObjects] = [](MemoryMachine& m, Where where, const std::wstring& id,
                                        const std::wstring& name, const std::wstring& file) {
    const std::wstring key =
        SoftwareOf(where) + L"Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + id;
    m.registry.SetString(Tree::Machine, key, L"", name);
    WriteClass(m, where, id, L"", file);
    return Written{id, L"", ViewOf(where), Own(where, key)};
  };
  writers[TableId::kActiveXControls] = [](MemoryMachine& m, Where where, const std::wstring& id,
                                          const std::wstring& name, const std::wstring& file) {
    const std::wstring location = SoftwareOf(where) + (where == Where::User ? L"Software\\" : L"") +
                                  L"Microsoft\\Code Store Database\\Distribution Units";
    m.registry.SetString(TreeOf(where), location + L"\\" + id + L"\\DownloadInformation", L"CODEBASE",
                         L"http://example.test/x.cab");
    WriteClass(m, where == Where::User ? Where::Machine : where, id, name, file);
    return Written{id, where == Where::User ? location : L"Software\\Microsoft\\Code Store Database\\Distribution Units",
                   ViewOf(where), Own(where, location + L"\\" + id)};
  };
  writers[TableId::kProtocols] = [](MemoryMachine& m, Where where, const std::wstring& id, const std::wstring& name,
                                    const std::wstring& file) {
    // The machine's protocols are one key for both views.
    const std::wstring location =
        (where == Where::User ? std::wstring(kUser) + L"\\Software" : L"SOFTWARE") + L"\\Classes\\PROTOCOLS\\Handler";
    m.registry.SetString(TreeOf(where), location + L"\\" + name, L"CLSID", id);
    WriteClass(m, where == Where::User ? Where::Machine : where, id, L"", file);
    return Written{name, where == Where::User ? location : L"Software\\Classes\\PROTOCOLS\\Handler", ViewOf(where),
                   Own(where, location + L"\\" + name)};
  };
  writers[TableId::kSearchProviders] = [](MemoryMachine& m, Where where, const std::wstring& id,
                                          const std::wstring& name, const std::wstring&) {
    const std::wstring location = SoftwareOf(where) + (where == Where::User ? L"Software\\" : L"") +
                                  L"Microsoft\\Internet Explorer\\SearchScopes";
    m.registry.SetString(TreeOf(where), location + L"\\" + id, L"DisplayName", name);
    m.registry.SetString(TreeOf(where), location + L"\\" + id, L"URL", L"https://search.example.test/?q={searchTerms}");
    return Written{id, where == Where::User ? location : L"Software\\Microsoft\\Internet Explorer\\SearchScopes",
                   ViewOf(where), Own(where, location + L"\\" + id)};
  };
  return writers;
}

// The places a kind's entries can be in.
std::vector<Where> PlacesOf(const discovery::AddonKind& kind) {
  std::vector<Where> places = {Where::Machine};
  if (!kind.machineSharedByViews) places.push_back(Where::Machine32);
  if (kind.userPath && *kind.userPath) places.push_back(Where::User);
  return places;
}

std::wstring Id(int n) { return L"{0000000" + std::to_wstring(n) + L"-AAAA-BBBB-CCCC-DDDDEEEEFFFF}"; }

std::wstring Upper(std::wstring text) {
  for (auto& ch : text) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
  return text;
}

// Every key and value of the registry, by the test's own walk.
std::set<std::wstring> Snapshot(engine::MemoryRegistry& registry) {
  std::set<std::wstring> seen;
  for (const Tree tree : {Tree::Machine, Tree::Users}) {
    std::vector<std::wstring> pending{L""};
    while (!pending.empty()) {
      const std::wstring key = pending.back();
      pending.pop_back();
      const std::wstring name = (tree == Tree::Machine ? L"M|" : L"U|") + key;
      seen.insert(name);
      for (const auto& value : registry.ValueNames(tree, key)) seen.insert(name + L"|" + value);
      for (const auto& sub : registry.SubKeyNames(tree, key)) pending.push_back(key.empty() ? sub : key + L"\\" + sub);
    }
  }
  return seen;
}

// Carries out a plan on the memory registry as the live executor does on
// the machine's.
void Apply(engine::MemoryRegistry& registry, const discovery::DeletionPlan& plan) {
  ASSERT_TRUE(plan.complete);
  if (plan.value) {
    ASSERT_TRUE(registry.DeleteValue(plan.tree, plan.key, *plan.value));
    return;
  }
  ASSERT_TRUE(registry.DeleteKey(plan.tree, plan.key));
  if (plan.parentValue.empty()) return;
  const std::wstring parent = plan.key.substr(0, plan.key.rfind(L'\\'));
  if (const auto value = registry.ReadValue(plan.tree, parent, plan.parentValue, 4096))
    if (engine::StringOfValue(*value) == plan.entryName) registry.DeleteValue(plan.tree, parent, plan.parentValue);
}

class EngineListing : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(EngineListing, ListsEveryEntryOfItsKindWhereItWasWritten) {
  const discovery::AddonKind& kind = discovery::Kind(GetParam());
  MemoryMachine machine;
  machine.accounts[kUser] = L"Ada";
  const std::wstring file = L"C:\\Program Files\\Adds\\adds.dll";

  std::vector<Written> written;
  int n = 1;
  for (const Where where : PlacesOf(kind)) {
    const std::wstring name = L"Add-on " + std::to_wstring(n);
    written.push_back(Writers().at(kind.id)(machine, where, Id(n), name, file));
    ++n;
  }
  // Someone else's kind at every place is never listed as this one.
  for (const auto& [other, writer] : Writers())
    if (other != kind.id)
      for (const Where where : PlacesOf(discovery::Kind(other))) writer(machine, where, Id(9), L"Other", L"");

  // Each entry's own key (a value's: the key holding it; a bar's: its
  // class) was last written on a day of its own, from 2 January 2020 on.
  for (std::size_t i = 0; i < written.size(); ++i) {
    std::wstring key = written[i].own.substr(2);
    if (kind.entriesAreValues) key.resize(key.rfind(L'|'));
    key = key.substr(0, key.find(L"\\Implemented Categories"));
    machine.registry.SetLastWriteTime(TreeOf(written[i].own[0] == L'U' ? Where::User : Where::Machine), key,
                                      132223104000000000u + (i + 1) * 864000000000u);
  }

  // Listed first while the file is missing: the next listing finds it.
  discovery::ListAddons(kind, machine.sources);
  machine.files.Add(file, {{{L"CompanyName", L"Adds Ltd"}, {L"ProductVersion", L"2.5"}}, {}, L"Signed by Adds Ltd"});
  const CResultNodes records = discovery::ToRecords(discovery::ListAddons(kind, machine.sources));
  ASSERT_EQ(records.Count(), written.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    const CResultNode& record = *records.Item(i + 1);
    SCOPED_TRACE(testing::Message() << "entry " << i);
    EXPECT_EQ(record.ID, written[i].id);
    EXPECT_EQ(record.params.Find(L"view")->Number(), written[i].view);
    EXPECT_EQ(record.params.Text(L"hive"), written[i].hive);
    if (kind.id != TableId::kSearchProviders) {
      EXPECT_EQ(record.params.Text(L"dLL"), file);
      EXPECT_EQ(record.params.Text(L"manufacturer"), L"Adds Ltd");
      EXPECT_EQ(record.params.Text(L"version"), L"2.5");
      EXPECT_EQ(record.params.Text(L"signature"), L"Signed by Adds Ltd");
    }
    const bool user = written[i].hive.rfind(kUser, 0) == 0;
    EXPECT_EQ(record.params.Text(L"scope"), user ? L"Ada" : L"Everyone");
    EXPECT_EQ(record.params.Text(L"lastWritten"), L"2020-01-0" + std::to_wstring(i + 2) + L"T00:00:00Z");
    EXPECT_FALSE(record.params.Text(L"state").empty());
  }

  // Deleting each entry in turn takes away its key or value and nothing
  // else, and the entry is no longer listed; the others still are.
  for (std::size_t i = 0; i < written.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "deleting entry " << i);
    const CResultNodes before = discovery::ToRecords(kind.list(machine.sources));
    ASSERT_EQ(before.Count(), written.size() - i);
    const engine::AddonEntry entry = discovery::EntryOfRecord(kind, *before.Item(1));
    engine::RegistryView view(machine.registry, entry.view, L"", nullptr);
    const discovery::DeletionPlan plan = discovery::PlanDeletion(kind, entry, view);
    const auto snapshot = Snapshot(machine.registry);
    Apply(machine.registry, plan);
    const auto after = Snapshot(machine.registry);
    std::vector<std::wstring> gone;
    for (const auto& item : snapshot)
      if (!after.count(item)) gone.push_back(item);
    EXPECT_EQ(after.size() + gone.size(), snapshot.size()) << "nothing is added";
    ASSERT_FALSE(gone.empty());
    // Everything gone is the entry's own value, or its own key and what is
    // below that key.
    const std::wstring own = Upper(written[i].own);
    for (const auto& item : gone) {
      const std::wstring upper = Upper(item);
      EXPECT_TRUE(upper == own || upper.rfind(own + L"\\", 0) == 0 || upper.rfind(own + L"|", 0) == 0)
          << std::string(item.begin(), item.end());
    }
    const CResultNodes remaining = discovery::ToRecords(kind.list(machine.sources));
    ASSERT_EQ(remaining.Count(), written.size() - i - 1);
    for (std::size_t r = 1; r <= remaining.Count(); ++r) EXPECT_NE(remaining.Item(r)->ID, written[i].id);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, EngineListing,
                         ::testing::Values(TableId::kToolbars, TableId::kButtons, TableId::kMenuExtensions,
                                           TableId::kExplorerBars, TableId::kHelperObjects, TableId::kUrlSearchHooks,
                                           TableId::kActiveXControls, TableId::kProtocols, TableId::kSearchProviders));

}  // namespace

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Hostile names and values, one table over the kinds: an entry whose id
// holds a line break and a NUL, whose name is only ampersands and whose
// file is over the read limit; one whose name is over it; then the same
// world with every string stored as another type, and with a link in the
// way of the second entry. Each entry is listed exactly as named, nothing
// over the limit is read, and nothing is read through the link.
TEST(EngineListing, HostileNamesAndValuesAreListedForWhatTheyAre) {
  const std::wstring noname = LoadStr(IDS_NONAME), notApplicable = LoadStr(IDS_STATE_NOT_APPLICABLE);
  const std::wstring huge(engine::kMaxReadValueBytes / 2, L'f');  // two bytes over, with its NUL
  const std::wstring tooLarge = formattext::Format(LoadStr(IDS_VALUE_TOO_LARGE), {L"1048578"});
  const std::wstring hostileId(L"{0000000\n-AAAA-BBBB-CC\0C-DDDDEEEEFFFF}", 38);
  const std::wstring longestKeyName(255, L'M');
  // ampersands: what the name "&&&" shows as; nameIsKey: the entry's key name is its name.
  const struct { std::int32_t kind; std::wstring ampersands; bool nameIsKey; } cases[] = {
      {TableId::kToolbars, noname, false},        {TableId::kButtons, noname, false},
      {TableId::kMenuExtensions, L"", true},        {TableId::kExplorerBars, L"", false},
      {TableId::kHelperObjects, L"", false},        {TableId::kUrlSearchHooks, L"&&&", false},
      {TableId::kActiveXControls, L"&&&", false},   {TableId::kProtocols, L"&&&", true},
      {TableId::kSearchProviders, L"&&&", false}};
  for (const auto& c : cases) {
    const discovery::AddonKind& kind = discovery::Kind(c.kind);
    SCOPED_TRACE(Narrow(kind.scanName));
    MemoryMachine machine;
    const std::vector<Where> places = PlacesOf(kind);
    const Written first = Writers().at(c.kind)(machine, places[0], hostileId, L"&&&", huge);
    const std::wstring bigName = c.nameIsKey ? longestKeyName : huge;
    const Written second = Writers().at(c.kind)(machine, places[1], Id(2), bigName, L"C:\\x.dll");
    CResultNodes records = discovery::ToRecords(discovery::ListAddons(kind, machine.sources));
    ASSERT_EQ(records.Count(), 2u);
    const CResultNode &a = *records.Item(1), &b = *records.Item(2);
    EXPECT_EQ(a.ID, first.id);
    EXPECT_EQ(a.params.Text(L"displayName"), c.ampersands);
    // A protocol names its class in a string, which ends at the NUL: no
    // such class. A search provider has no file.
    const bool noFile = c.kind == TableId::kProtocols || c.kind == TableId::kSearchProviders;
    EXPECT_EQ(a.params.Text(L"dLL"), noFile ? L"" : tooLarge);
    EXPECT_EQ(a.params.Text(L"state"), notApplicable);
    EXPECT_EQ(b.ID, second.id);
    EXPECT_EQ(b.params.Text(L"displayName"), c.nameIsKey ? longestKeyName : tooLarge);

    // Strings stored as a number, as bytes or as a list: not read at all.
    using namespace engine::valuetype;
    for (const std::uint32_t type : {kDword, kBinary, kMultiString}) {
      qlmtest::AlteredRegistry altered(machine.registry);
      altered.stringType = type;
      engine::MachineSources sources{altered, machine.files, machine.sources.accountName, L"", machine.sources.views, {}};
      records = discovery::ToRecords(discovery::ListAddons(kind, sources));
      ASSERT_EQ(records.Count(), 2u);
      EXPECT_EQ(records.Item(1)->ID, first.id);
      EXPECT_EQ(records.Item(2)->ID, second.id);
      EXPECT_EQ(records.Item(1)->params.Text(L"dLL"), L"");
      EXPECT_EQ(records.Item(2)->params.Text(L"dLL"), L"");
    }

    // A link at the key holding the second entry: it is not listed.
    const std::wstring own = second.own.substr(2);
    const std::size_t bar = own.find(L'|');
    machine.registry.MarkLink(second.own[0] == L'U' ? Tree::Users : Tree::Machine,
                              bar != std::wstring::npos ? own.substr(0, bar) : own.substr(0, own.rfind(L'\\')));
    records = discovery::ToRecords(discovery::ListAddons(kind, machine.sources));
    ASSERT_EQ(records.Count(), 1u);
    EXPECT_EQ(records.Item(1)->ID, first.id);
  }

  // A class id holding "\" names no class: the key it would reach is never
  // read, whether the id is an entry's name or a value's data.
  MemoryMachine machine;
  std::wstring slashId = Id(3);
  slashId[29] = L'\\';
  for (const std::int32_t kind : {TableId::kToolbars, TableId::kUrlSearchHooks, TableId::kProtocols})
    Writers().at(kind)(machine, Where::Machine, slashId, L"Reached", L"C:\\reached.dll");
  machine.registry.SetString(Tree::Machine, L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\" + Id(4),
                             L"ClsidExtension", slashId);
  for (const std::int32_t kind :
       {TableId::kToolbars, TableId::kUrlSearchHooks, TableId::kProtocols, TableId::kButtons}) {
    const CResultNodes records = discovery::ToRecords(discovery::Kind(kind).list(machine.sources));
    ASSERT_EQ(records.Count(), 1u) << kind;
    EXPECT_EQ(records.Item(1)->params.Text(L"dLL"), L"") << kind;
  }
}

// File strings naming a share or a device, for every kind with a file (and
// an explorer bar's page): the record keeps them as written with a note,
// and the file the world holds at that place is never read. (That nothing
// reaches a share on the machine: the gate's own test.)
TEST(EngineListing, SharesAndDevicesAreNotedNotRead) {
  const std::wstring network = LoadStr(IDS_NETWORK_PATH_NOT_OPENED), device = LoadStr(IDS_DEVICE_PATH_NOT_OPENED);
  const std::wstring page = L"file://host/s/page.htm";
  const std::pair<std::wstring, std::wstring> forms[] = {
      {L"\\\\host\\s\\x.dll", network}, {L"%Share%\\x.dll", network}, {page, network},
      {L"\\\\.\\pipe\\x", device}, {L"C:\\x\\NUL.dll", device}};
  for (const auto& [id, writer] : Writers()) {
    for (const auto& [file, note] : forms) {
      // A page is an explorer bar's, shown by the browser's own library.
      if (id == TableId::kSearchProviders || (file == page) != (id == TableId::kExplorerBars)) continue;
      SCOPED_TRACE(Narrow(std::wstring(discovery::Kind(id).scanName) + L" " + file));
      MemoryMachine machine;
      machine.files.SetVariable(L"Share", L"\\\\host\\s");
      for (const std::wstring there : {L"\\\\host\\s\\x.dll", L"\\\\host\\s\\page.htm", L"\\\\.\\pipe\\x", L"C:\\x\\NUL.dll"})
        machine.files.Add(there, {{{L"CompanyName", L"Read"}}, {}, L"Signed by Read"});
      machine.files.Add(L"C:\\Windows\\system32\\shdocvw.dll");
      writer(machine, Where::Machine, Id(1), L"Name", file == page ? L"shdocvw.dll" : file);
      if (file == page)
        machine.registry.SetString(Tree::Machine, ClassesOf(Where::Machine) + Id(1) + L"\\Instance\\InitPropertyBag",
                                   L"Url", page);
      const CResultNodes records = discovery::ToRecords(discovery::ListAddons(discovery::Kind(id), machine.sources));
      ASSERT_EQ(records.Count(), 1u);
      const CParams& params = records.Item(1)->params;
      EXPECT_EQ(params.Text(L"dLL"), file);
      EXPECT_EQ(params.Text(L"fileNote"), note);
      EXPECT_EQ(params.Text(L"manufacturer"), L"");
      EXPECT_NE(params.Text(L"signature"), L"Signed by Read");
    }
  }
}

// Both views of one machine (the 32-bit view's keys are below Wow6432Node):
// a toolbar in both is listed once in each, native first, with that view's
// class, its name numbered over both; an entry whose class only the 32-bit
// view has (a user's, or a protocol's, whose list both views share) takes
// it from there; a 32-bit entry's system file is the one in the 32-bit
// system folder; the system's own protocol handler is only in the full list.
TEST(EngineListing, EachViewListsItsEntriesWithItsOwnClasses) {
  MemoryMachine machine;
  const std::wstring own64 = L"C:\\Adds\\adds64.dll", own32 = L"C:\\Adds\\adds32.dll";
  const std::wstring sys32 = L"C:\\Windows\\SysWOW64\\sys.dll";
  machine.files.Add(own64);
  machine.files.Add(own32);
  machine.files.Add(L"C:\\Windows\\system32\\sys.dll", {{{L"ProductVersion", L"64"}}, {}});
  machine.files.Add(sys32, {{{L"ProductVersion", L"32"}}, {}});
  machine.files.SetVariable(L"SystemRoot", L"C:\\Windows");
  const auto writers = Writers();
  writers.at(TableId::kToolbars)(machine, Where::Machine, Id(1), L"Twin", own64);
  writers.at(TableId::kToolbars)(machine, Where::Machine32, Id(1), L"Twin", own32);
  for (const std::int32_t kind : {TableId::kToolbars, TableId::kUrlSearchHooks, TableId::kActiveXControls})
    writers.at(kind)(machine, Where::User, Id(2), L"wow-only", L"");
  writers.at(TableId::kProtocols)(machine, Where::Machine, Id(2), L"wow-only", L"");
  machine.registry.DeleteKey(Tree::Machine, ClassesOf(Where::Machine) + Id(2));
  WriteClass(machine, Where::Machine32, Id(2), L"wow-only", own32);
  writers.at(TableId::kToolbars)(machine, Where::Machine32, Id(3), L"Bare", L"sys.dll");
  writers.at(TableId::kHelperObjects)(machine, Where::Machine32, Id(4), L"Helper", L"");
  machine.registry.SetString(Tree::Machine, ClassesOf(Where::Machine32) + Id(4) + L"\\InProcServer32", L"",
                             L"%SystemRoot%\\System32\\sys.dll", engine::valuetype::kExpandString);
  writers.at(TableId::kProtocols)(machine, Where::Machine, Id(5), L"quill-sys", L"C:\\Windows\\system32\\quill.dll");
  writers.at(TableId::kProtocols)(machine, Where::Machine, Id(6), L"http", own64);

  // id|view|file|name|version|system
  auto lines = [](const std::vector<engine::AddonEntry>& entries) {
    std::vector<std::wstring> out;
    const CResultNodes records = discovery::ToRecords(entries);
    for (std::size_t i = 1; i <= records.Count(); ++i) {
      const CResultNode& r = *records.Item(i);
      const CParam* system = r.params.Find(L"system");
      out.push_back(r.ID + L"|" + r.params.Text(L"view") + L"|" + r.params.Text(L"dLL") + L"|" +
                    r.params.Text(L"displayName") + L"|" + r.params.Text(L"version") +
                    (system ? L"|" + std::to_wstring(system->Number()) : L""));
    }
    return out;
  };
  using Lines = std::vector<std::wstring>;
  auto& m = machine.sources;
  EXPECT_EQ(lines(discovery::ListToolbars(m)),
            (Lines{Id(1) + L"|64|" + own64 + L"|Twin|", Id(1) + L"|32|" + own32 + L"|Twin (2)|",
                   Id(3) + L"|32|" + sys32 + L"|Bare|32", Id(2) + L"|32|" + own32 + L"|wow-only|"}));
  EXPECT_EQ(lines(discovery::ListUrlSearchHooks(m)), Lines{Id(2) + L"|32|" + own32 + L"|wow-only|"});
  EXPECT_EQ(lines(discovery::ListActiveXControls(m)), Lines{Id(2) + L"|32|" + own32 + L"|wow-only|"});
  EXPECT_EQ(lines(discovery::ListHelperObjects(m)), Lines{Id(4) + L"|32|" + sys32 + L"|Helper|32"});
  const std::wstring http = L"http|64|" + own64 + L"|http||0", wow = L"wow-only|32|" + own32 + L"|wow-only|";
  EXPECT_EQ(lines(discovery::ListProtocols(m)), (Lines{http, wow}));
  EXPECT_EQ(lines(discovery::ListAllProtocols(m)),
            (Lines{http, L"quill-sys|64|C:\\Windows\\system32\\quill.dll|quill-sys||1", wow}));
}

// A file's digest kept from an earlier listing is used only while the file
// is in the same state: one changed since, or while it was read, is read
// again. The fake's identity is its change time; the digests are SHA-256's
// standard values for "abc" and for no bytes.
TEST(EngineListing, KeptDigestsFollowTheFilesState) {
  struct Open final : engine::OpenFile {
    std::vector<std::uint8_t> bytes{'a', 'b', 'c'};
    std::int64_t changeTime = 1;
    bool emptiedWhileRead = false;
    Open* disk = this;  // what every copy opened for a listing reads
    std::uint64_t Size() const override { return disk->bytes.size(); }
    std::optional<engine::FileIdentity> Identity() const override { return engine::FileIdentity{.changeTime = disk->changeTime}; }
    std::optional<std::vector<std::uint8_t>> Read(std::uint64_t at, std::size_t) override {
      auto out = at < disk->bytes.size() ? disk->bytes : std::vector<std::uint8_t>();
      if (std::exchange(disk->emptiedWhileRead, false)) disk->bytes.clear(), ++disk->changeTime;
      return out;
    }
  };
  struct Files final : engine::FileFacts {
    Open file;
    engine::KeptDigests kept;
    std::wstring Expand(const std::wstring& text, bool) override { return text; }
    engine::PathKind Kind(const std::wstring&) override { return engine::PathKind::Local; }
    std::wstring Resolve(const std::wstring& text, bool) override { return text; }
    bool Exists(const std::wstring&) override { return true; }
    CStringDictionary VersionStrings(const std::wstring&) override { return CStringDictionary(); }
    std::wstring IndirectString(const std::wstring& text, bool) override { return text; }
    std::wstring SystemFolder(bool) override { return {}; }
    std::wstring SignatureText(const std::wstring&) override { return {}; }
    std::unique_ptr<engine::OpenFile> OpenForReading(const std::wstring&) override { return std::make_unique<Open>(file); }
    engine::KeptDigests* DigestsKept() override { return &kept; }
  } files;
  const auto listedDigest = [&files] {
    engine::AddonEntry entry;
    entry.file = L"C:\\Maker\\bar.dll";
    discovery::FileHashes(files).AddTo(entry);
    return entry.sha256;
  };
  const std::wstring abc = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  const std::wstring none = L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
  EXPECT_EQ(listedDigest(), abc);
  files.file.bytes.clear(), ++files.file.changeTime;
  EXPECT_EQ(listedDigest(), none);
  files.file.bytes = {'a', 'b', 'c'}, ++files.file.changeTime, files.file.emptiedWhileRead = true;
  EXPECT_EQ(listedDigest(), abc);  // what was read
  EXPECT_EQ(listedDigest(), none);
}

}  // namespace
