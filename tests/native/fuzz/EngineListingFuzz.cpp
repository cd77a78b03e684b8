// Any registry a hostile user could write at the places the kinds read
// (names with NUL, line breaks and "\", every value type, values over the
// read limit, links): every kind lists without fault, and what it lists is
// there. Each entry's name is a name that was written; no entry is listed
// twice; the key it names holds it, in the view it names (checked by this
// file's own reading of where each view keeps a key); its deletion names
// that same key or value; its record's state is its own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "FuzzInput.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DeletionPlan.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/ListingRoutines.h"
#include "support/MemoryMachine.h"

namespace {

using engine::Tree;
using qlmfuzz::Check;
using qlmfuzz::FuzzInput;

struct Place {
  Tree tree;
  const wchar_t* prefix;
};
// The user whose classes merge over the machine's.
constexpr const wchar_t* kClassesUser = L"S-1-5-21-1";
const Place kPlaces[] = {{Tree::Machine, L"SOFTWARE\\"}, {Tree::Machine, L"SOFTWARE\\Wow6432Node\\"},
                         {Tree::Machine, L"SOFTWARE\\Classes\\"}, {Tree::Machine, L"SOFTWARE\\Classes\\Wow6432Node\\"},
                         {Tree::Users, L"S-1-5-21-1\\Software\\"}, {Tree::Users, L".DEFAULT\\Software\\"},
                         {Tree::Users, L"S-1-5-21-1_Classes\\"}};
const wchar_t* const kLocations[] = {
    L"Microsoft\\Internet Explorer\\Toolbar", L"Microsoft\\Internet Explorer\\Toolbar\\WebBrowser",
    L"Microsoft\\Internet Explorer\\Extensions", L"Microsoft\\Internet Explorer\\MenuExt",
    L"Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
    L"Microsoft\\Internet Explorer\\UrlSearchHooks", L"Microsoft\\Code Store Database\\Distribution Units",
    L"Microsoft\\Internet Explorer\\SearchScopes", L"Classes\\PROTOCOLS\\Handler", L"Classes\\PROTOCOLS\\Filter",
    L"PROTOCOLS\\Handler", L"CLSID", L"Classes\\CLSID", L"Microsoft\\Windows\\CurrentVersion\\Ext\\Settings",
    L"Microsoft\\Windows\\CurrentVersion\\Policies\\Ext", L"Microsoft\\Windows\\CurrentVersion\\Policies\\Ext\\CLSID",
    L"Policies\\Microsoft\\Internet Explorer\\Restrictions", L"Microsoft\\Internet Explorer\\Main", L""};
const wchar_t* const kBelow[] = {L"", L"\\InProcServer32", L"\\DownloadInformation", L"\\Instance\\InitPropertyBag",
                                 L"\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}",
                                 L"\\Implemented Categories\\{00021494-0000-0000-C000-000000000046}"};
const wchar_t* const kValueNames[] = {L"", L"buttontext", L"menutext", L"exec", L"script", L"ClsidExtension", L"CLSID",
                                      L"DisplayName", L"URL", L"CODEBASE", L"DefaultScope", L"Url", L"Flags",
                                      L"Version", L"RestrictToList", L"NoExtensionManagement",
                                      L"Enable Browser Extensions"};
// Names and texts the kinds look for, and hostile forms of them.
const std::wstring kNames[] = {
    L"{00000001-AAAA-BBBB-CCCC-DDDDEEEEFFFF}", L"{00000002-aaaa-bbbb-cccc-ddddeeeeffff}",
    std::wstring(L"{00000003-AAAA-BBBB-CC\0C-DDDDEEEEFFFF}", 38), L"{00000004-AAAA-BBBB-CCCC-DDDD\\EEEFFFF}",
    L"{00000005-AAAA-BBBB-CCCC-DDDD\nEEEFFFF}", L"{EFA24E61-B078-11D0-89E4-00C04FC9E26E}",
    L"{79EAC9E2-BAF9-11CE-8C82-00AA004BA90B}", L"http", L"&&&", L"C:\\Windows\\system32\\urlmon.dll", L"C:\\x.dll",
    L"x.dll", L"%SystemRoot%\\System32\\x.dll", L"res://x.dll/page", L"\\\\host\\share\\x.dll",
    L"\\\\.\\PhysicalDrive0", L"@C:\\x.dll,-1", L"*", L"no", L"0", L"1", L"2"};
constexpr std::uint32_t kTypes[] = {1, 1, 2, 3, 4, 6, 7, 11};
constexpr wchar_t kAlphabet[] = L"{}-\\&\n\r\0 aAsS019%@,.:";

std::wstring Upper(std::wstring text) {
  for (auto& ch : text)
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
  return text;
}

std::wstring Name(FuzzInput& in) {
  const std::uint8_t pick = in.Byte();
  if (pick < 200) return kNames[pick % std::size(kNames)];
  return in.Text(40, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
}

class World {
 public:
  explicit World(FuzzInput& in) : in_(in) {
    machine.accounts[kClassesUser] = L"Ann";
    machine.sources.classesUser = kClassesUser;
    machine.files.Add(L"C:\\x.dll", {{{L"CompanyName", L"X"}, {L"ProductVersion", L"1"}}, {{1, L"Indirect"}}});
    machine.files.Add(L"C:\\Windows\\system32\\x.dll");
    machine.files.SetVariable(L"SystemRoot", L"C:\\Windows");
    for (int ops = 0; ops < 48 && !in.Empty(); ++ops) Write();
  }

  qlmtest::MemoryMachine machine;
  std::set<std::wstring> written;  // every key and value name, in upper case

 private:
  void Note(const std::wstring& path) {
    for (const auto& name : engine::SplitKeyPath(path)) written.insert(Upper(name));
  }

  std::vector<std::uint8_t> Data() {
    const std::uint8_t pick = in_.Byte();
    if (pick == 0xFF && !hugeWritten_) {
      hugeWritten_ = true;
      return std::vector<std::uint8_t>(engine::kMaxReadValueBytes + 2, '0');
    }
    if (pick >= 0xC0) return in_.Bytes(in_.Byte() % 64);
    std::vector<std::uint8_t> bytes;
    for (const wchar_t ch : Name(in_) + L'\0') {
      bytes.push_back(static_cast<std::uint8_t>(ch & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(ch >> 8));
    }
    return bytes;
  }

  void Write() {
    const std::uint8_t op = in_.Byte();
    const std::uint8_t placeByte = in_.Byte();
    // The last place is a user's hive of any name.
    const bool anyUser = placeByte % (std::size(kPlaces) + 1) == std::size(kPlaces);
    const Place place = anyUser ? Place{Tree::Users, nullptr} : kPlaces[placeByte % (std::size(kPlaces) + 1)];
    std::wstring key = anyUser ? Name(in_) + L"\\Software\\" : place.prefix;
    key += kLocations[in_.Byte() % std::size(kLocations)];
    if (op % 4 != 0) key += L"\\" + Name(in_) + kBelow[in_.Byte() % std::size(kBelow)];
    Note(key);
    engine::MemoryRegistry& registry = machine.registry;
    if (op % 4 == 2) return registry.CreateKey(place.tree, key);
    if (op % 4 == 3) return registry.MarkLink(place.tree, key);
    const std::wstring name = op % 4 == 0 ? Name(in_) : kValueNames[in_.Byte() % std::size(kValueNames)];
    written.insert(Upper(name));
    const std::uint8_t type = in_.Byte();
    registry.SetValue(place.tree, key, name, type < 0xF0 ? kTypes[type % std::size(kTypes)] : type, Data());
  }

  FuzzInput& in_;
  bool hugeWritten_ = false;
};

// Where the registry keeps the key an entry names: a 32-bit machine key
// below Wow6432Node (but the classes' protocol lists, which both views
// share); a user's classes in the user's classes hive, when there is one.
std::wstring StoredKey(engine::MemoryRegistry& registry, const engine::AddonEntry& entry, const std::wstring& path) {
  const std::wstring upper = Upper(path);
  if (entry.tree == Tree::Users) {
    const std::size_t slash = path.find(L'\\');
    const std::wstring user = path.substr(0, slash);
    if (upper.compare(slash, 18, L"\\SOFTWARE\\CLASSES\\") == 0 && registry.KeyExists(Tree::Users, user + L"_Classes"))
      return user + L"_Classes\\" + path.substr(slash + 18);
    return path;
  }
  if (entry.view == RegView::Wow32 && upper.rfind(L"SOFTWARE\\CLASSES\\", 0) != 0)
    return L"SOFTWARE\\Wow6432Node\\" + path.substr(9);
  return path;
}

void CheckEntries(World& world, const discovery::AddonKind& kind, const std::vector<engine::AddonEntry>& entries,
                  engine::MachineSources& sources) {
  engine::MemoryRegistry& registry = world.machine.registry;
  Check(entries.size() <= 4 * world.written.size());
  discovery::DiscoveryRun run(sources);
  discovery::AddonStateReader reader(run);
  std::set<std::tuple<bool, std::wstring, std::wstring, RegView, std::wstring>> seen;
  for (const auto& entry : entries) {
    Check(world.written.count(Upper(entry.id)) == 1);
    Check(seen.emplace(entry.tree.has_value(), entry.keyPath, entry.id, entry.view, entry.category).second);
    Check(entry.state && !entry.state->empty() && entry.signature && !entry.signature->empty());

    // The key it names holds it, and its deletion names that key.
    Tree tree = Tree::Machine;
    std::wstring key;
    std::optional<std::wstring> value;
    if (entry.tree) {
      tree = *entry.tree;
      key = StoredKey(registry, entry, entry.keyPath);
      const auto names = kind.entriesAreValues ? registry.ValueNames(tree, key) : registry.SubKeyNames(tree, key);
      Check(std::ranges::count(names, entry.id) == 1);
      if (kind.entriesAreValues) value = entry.id;
      else key += L"\\" + entry.id;
    } else if (kind.id == TableId::kHelperObjects) {
      key = StoredKey(registry, entry, entry.keyPath);
    } else {
      // An explorer bar's category: the machine's classes, else the user's.
      const std::wstring below = std::wstring(entry.view == RegView::Wow32 ? L"Wow6432Node\\" : L"") + L"CLSID\\" +
                                 entry.id + L"\\Implemented Categories\\" + entry.category;
      key = L"SOFTWARE\\Classes\\" + below;
      if (!registry.KeyExists(tree, key)) tree = Tree::Users, key = kClassesUser + (L"_Classes\\" + below);
    }
    Check(registry.KeyExists(tree, key));

    const CResultNode record = discovery::ToRecord(entry);
    const engine::AddonEntry back = discovery::EntryOfRecord(kind, record);
    engine::RegistryView view(registry, back.view, sources.classesUser, nullptr);
    const discovery::DeletionPlan plan = discovery::PlanDeletion(kind, back, view);
    Check(plan.complete && plan.tree == tree && Upper(plan.key) == Upper(key) && plan.value == value);
    Check(reader.StateText(kind, record) == *entry.state);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  World world(in);
  engine::MachineSources& sources = world.machine.sources;
  for (const auto& kind : discovery::AddonKinds())
    CheckEntries(world, kind, discovery::ListAddons(kind, sources), sources);
  const discovery::AddonKind& protocols = discovery::Kind(TableId::kProtocols);
  std::vector<engine::AddonEntry> all = discovery::ListAllProtocols(sources);
  discovery::AddStatesAndSignatures(protocols, sources, all);
  CheckEntries(world, protocols, all, sources);
  return 0;
}
