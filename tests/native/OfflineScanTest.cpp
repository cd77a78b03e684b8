// An image of a system that is not running, written twice by one table: as
// hive files by an independent writer (hivexsh -w) in a folder standing for
// drive C:, and into a registry and files in memory. Listed offline, every
// kind gives what the memory world gives; the Linux qmscan prints the same;
// a dirty software hive is read with its log, and the report says so.
#include <gtest/gtest.h>
#include <unistd.h>

#include "../qmscan/ParseBack.h"
#include "HiveTestFiles.h"
#include "core/Strings.h"
#include "engine/files/AuthenticodeOpenSsl.h"
#include "engine/files/ImageFileSource.h"
#include "engine/files/MemoryFileSource.h"
#include "engine/kinds/AddonListing.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/FileHashes.h"
#include "engine/offline/OfflineMachine.h"
#include "engine/sources/MemoryRegistry.h"
#include "inventory/InventoryRead.h"
#include "inventory/InventoryText.h"
#include "ozcore/FormatText.h"
#include "ozcore/Utf8Text.h"
#include "engine/offline/OfflineReportText.h"

namespace {

namespace fs = std::filesystem;
using engine::Tree;
using qlmtest::Bytes;

enum Hive { Software, AdaUser, AdaClasses, BobUser };
const std::wstring kAda = L"S-1-5-21-1-2-3-1001", kBob = L"S-1-5-21-1-2-3-1002", kEve = L"S-1-5-21-1-2-3-1003";
const std::wstring kT1 = L"{11111111-0000-0000-0000-000000000001}", kT2 = L"{11111111-0000-0000-0000-000000000002}",
                   kB1 = L"{11111111-0000-0000-0000-000000000003}", kU1 = L"{11111111-0000-0000-0000-000000000004}",
                   kP1 = L"{11111111-0000-0000-0000-000000000005}", kS1 = L"{11111111-0000-0000-0000-000000000006}";
const std::wstring kPf = L"Microsoft\\Windows\\CurrentVersion", kProfiles = L"Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct Row {
  Hive hive;
  std::wstring key, name;  // key below the hive's root; "" names the default value
  bool expand;
  std::wstring data;
};
// The world: entries of several kinds in both views and two users' hives.
const std::vector<Row>& World() {
  static const std::vector<Row> rows = {
      {Software, L"Microsoft\\Windows NT\\CurrentVersion", L"SystemRoot", false, L"C:\\Windows"},
      {Software, kPf, L"ProgramFilesDir", false, L"C:\\Program Files"},
      {Software, kPf, L"ProgramFilesDir (x86)", false, L"C:\\Program Files (x86)"},
      {Software, kProfiles + L"\\" + kAda, L"ProfileImagePath", true, L"C:\\Users\\ada"},
      {Software, kProfiles + L"\\" + kBob, L"ProfileImagePath", true, L"%SystemDrive%\\Users\\bob"},
      {Software, kProfiles + L"\\" + kEve, L"ProfileImagePath", true, L"D:\\Users\\eve"},
      {Software, L"Microsoft\\Internet Explorer\\Toolbar", kT1, false, L""},
      {Software, L"Classes\\CLSID\\" + kT1 + L"\\InProcServer32", L"", false, L"C:\\Program Files\\Maker\\bar.dll"},
      {Software, L"Wow6432Node\\Microsoft\\Internet Explorer\\Toolbar", kT2, false, L""},
      {Software, L"Classes\\Wow6432Node\\CLSID\\" + kT2 + L"\\InProcServer32", L"", true, L"%ProgramFiles%\\Maker\\bar32.dll"},
      {Software, kPf + L"\\Explorer\\Browser Helper Objects\\" + kB1, L"", false, L"Helper"},
      {Software, L"Classes\\CLSID\\" + kB1 + L"\\InProcServer32", L"", false, L"C:\\Program Files\\Maker\\out.dll"},
      {Software, L"Classes\\CLSID\\" + kU1 + L"\\InProcServer32", L"", false, L"C:\\Program Files\\Maker\\bar.dll"},
      {Software, L"Classes\\CLSID\\" + kP1 + L"\\InProcServer32", L"", false, L"C:\\Program Files\\Maker\\bar.dll"},
      {AdaUser, L"Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser", kU1, false, L""},
      {AdaClasses, L"PROTOCOLS\\Handler\\adaproto", L"CLSID", false, kP1},
      {BobUser, L"Software\\Microsoft\\Internet Explorer\\SearchScopes", L"DefaultScope", false, kS1},
      {BobUser, L"Software\\Microsoft\\Internet Explorer\\SearchScopes\\" + kS1, L"URL", false, L"https://x.invalid/?q="},
  };
  return rows;
}

std::string Ascii(const std::wstring& text) { return utf8text::ToUtf8(text); }

// The hivexsh commands that write the hive's rows: every key made once,
// parents first, then its values.
std::string Script(Hive hive, const std::vector<Row>& rows) {
  std::set<std::wstring> keys;
  std::map<std::wstring, std::vector<const Row*>> values;
  for (const auto& row : rows) {
    if (row.hive != hive) continue;
    for (std::size_t at = 0; at != std::wstring::npos; at = row.key.find(L'\\', at + 1)) keys.insert(row.key.substr(0, at));
    keys.insert(row.key);
    values[row.key].push_back(&row);
  }
  std::string script;
  for (const auto& key : keys) {
    const std::size_t bar = key.rfind(L'\\');
    if (key.empty()) continue;
    script += "cd \\" + (bar == std::wstring::npos ? "" : Ascii(key.substr(0, bar))) + "\nadd " +
              Ascii(key.substr(bar + 1)) + "\n";
  }
  for (const auto& [key, list] : values) {
    script += "cd \\" + Ascii(key) + "\nsetval " + std::to_string(list.size()) + "\n";
    for (const Row* row : list)
      script += (row->name.empty() ? "@" : Ascii(row->name)) + "\n" + (row->expand ? "expandstring:" : "string:") +
                Ascii(row->data) + "\n";
  }
  return script;
}

void Write(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

const std::string kMinimal = QLM_CORPUS "/../hives/minimal.hive";
const std::string kSeeds = QLM_CORPUS "/PeResourcesFuzz/";
const std::vector<std::pair<std::wstring, std::string>> kFiles = {
    {L"C:\\Program Files\\Maker\\bar.dll", "fx_strings.dll"},
    {L"C:\\Program Files (x86)\\Maker\\bar32.dll", "fx_company32.dll"}};

// The image: hives where the system keeps them, files with version
// resources, a link out of the image, no classes hive for Bob. The rows'
// software hive is primary, unless given.
fs::path WriteImage(const std::string& name, const Bytes& software, const Bytes& log1 = {}) {
  const fs::path root = qlmtest::TempDir() + name;
  const auto hive = [](Hive h) { return qlmtest::Hivexsh(kMinimal, Script(h, World()), "h" + std::to_string(h)); };
  Write(root / "Windows/System32/config/SOFTWARE", software);
  if (!log1.empty()) Write(root / "Windows/System32/config/SOFTWARE.LOG1", log1);
  Write(root / "Windows/System32/config/DEFAULT", qlmtest::ReadBytes(kMinimal));
  fs::create_directories(root / "Windows/SysWOW64");
  Write(root / "Users/ada/NTUSER.DAT", hive(AdaUser));
  Write(root / "Users/ada/AppData/Local/Microsoft/Windows/UsrClass.dat", hive(AdaClasses));
  Write(root / "Users/Bob/NTUSER.DAT", hive(BobUser));
  for (const auto& [path, seed] : kFiles) {
    std::string relative = Ascii(path.substr(3));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    Write(root / relative, qlmtest::ReadBytes(kSeeds + seed));
  }
  Write(qlmtest::TempDir() + "outside.dll", qlmtest::ReadBytes(kSeeds + "fx_company32.dll"));
  fs::create_symlink(qlmtest::TempDir() + "outside.dll", root / "Program Files/Maker/out.dll");
  return root;
}

// Files' signatures checked as the Linux program checks them.
std::wstring CheckSignature(engine::OpenFile* file) {
  return engine::authenticode::SignatureText(file, &engine::authenticode::CheckWithOpenSsl);
}

// The same world in memory, listed with the description the image's hives give.
struct MemoryWorld {
  engine::MemoryRegistry registry;
  engine::MemoryFileSource files;
  engine::SourceFileFacts facts{files, Description()};
  engine::MachineSources sources{registry, facts,
                                 [](const std::wstring& sid) { return sid == kAda ? L"ada" : sid == kBob ? L"bob" : L""; },
                                 L"", {RegView::Native, RegView::Wow32}, {}};
  MemoryWorld() {
    const std::wstring prefixes[] = {L"SOFTWARE\\", kAda + L"\\", kAda + L"_Classes\\", kBob + L"\\"};
    for (const auto& row : World()) {
      const std::wstring key = prefixes[row.hive] + row.key;
      const Tree tree = row.hive == Software ? Tree::Machine : Tree::Users;
      registry.SetString(tree, key, row.name, row.data,
                         row.expand ? engine::valuetype::kExpandString : engine::valuetype::kString);
    }
    for (const auto& [path, seed] : kFiles) files.AddFile(path, qlmtest::ReadBytes(kSeeds + seed));
  }
  static engine::SystemDescription Description() {
    engine::SystemDescription system;
    system.environment = {{L"SystemRoot", L"C:\\Windows"},
                          {L"ProgramFiles", L"C:\\Program Files"},
                          {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"}};
    system.systemFolder = L"C:\\Windows\\System32";
    system.systemFolder32 = L"C:\\Windows\\SysWOW64";
    system.searchFolders = {L"C:\\Windows\\System32", L"C:\\Windows\\System", L"C:\\Windows"};
    system.checkSignature = &CheckSignature;
    return system;
  }
};

// A record as JSON without where and when it was read.
std::wstring Shown(const std::wstring& kind, const CResultNode& record) {
  CResultNode copy;
  copy.ID = record.ID;
  for (std::size_t i = 1; i <= record.params.Count(); ++i)
    if (record.params.At(i)->Key() != L"source" && record.params.At(i)->Key() != L"lastWritten")
      copy.params.Add(record.params.At(i)->Key(), record.params.At(i)->Values(1));
  return inventory::JsonRecord(kind, copy);
}

TEST(OfflineScan, AnImageListsAsTheSameWorldInMemoryAndQmscanPrintsIt) {
  const Bytes software = qlmtest::Hivexsh(kMinimal, Script(Software, World()), "software");
  const fs::path root = WriteImage("image", software);
  engine::ImageFileSource image(root);
  engine::OfflineMachine offline(&image, {}, [](const std::wstring&) { return nullptr; }, &CheckSignature);
  MemoryWorld memory;

  std::vector<CResultNodes> lists;
  std::size_t listed = 0;
  for (const auto& kind : discovery::AddonKinds()) {
    SCOPED_TRACE(Ascii(kind.scanName));
    lists.push_back(discovery::ToRecords(discovery::ListAddons(kind, offline.Sources()), discovery::RecordSource::Offline));
    const CResultNodes expected = discovery::ToRecords(discovery::ListAddons(kind, memory.sources));
    ASSERT_EQ(lists.back().Count(), expected.Count());
    listed += expected.Count();
    for (std::size_t i = 1; i <= expected.Count(); ++i) {
      EXPECT_EQ(Shown(kind.scanName, *lists.back().Item(i)), Shown(kind.scanName, *expected.Item(i)));
      EXPECT_EQ(lists.back().Item(i)->params.Text(L"source"), L"offline");
    }
  }
  EXPECT_EQ(listed, 6u);  // two toolbars, one of a user, a helper, a protocol, a search provider
  // The 32-bit entry's file through the image's own 32-bit variables; the
  // link out of the image is not followed.
  const std::wstring all = [&] {
    std::wstring text;
    for (std::size_t k = 0; k < lists.size(); ++k)
      for (std::size_t i = 1; i <= lists[k].Count(); ++i) text += Shown(L"", *lists[k].Item(i));
    return text;
  }();
  EXPECT_NE(all.find(L"C:\\\\Program Files (x86)\\\\Maker\\\\bar32.dll"), std::wstring::npos) << Ascii(all);
  // The last write time as an independent reader shows it.
  const std::string peer = qlmtest::Run("reglookup -p '/Microsoft/Internet Explorer/Toolbar' -t KEY '" +
                                        qlmtest::TempDir() + "software' | sed -n 2p | cut -d, -f4");
  ASSERT_GE(peer.size(), 19u);
  EXPECT_EQ(Ascii(lists[0].Item(1)->params.Text(L"lastWritten")), peer.substr(0, 10) + "T" + peer.substr(11, 8) + "Z");
  // Missing and outside profile hives are reported.
  std::set<std::wstring> missing;
  for (const auto& hive : offline.Report().hives)
    if (hive.state == engine::OfflineHiveState::Missing) missing.insert(hive.name);
  EXPECT_EQ(missing, (std::set<std::wstring>{L"S-1-5-18", kBob + L"_Classes"}));
  ASSERT_EQ(offline.Report().profilesOutside.size(), 1u);
  EXPECT_EQ(offline.Report().profilesOutside[0].sid, kEve);

  // The Linux program prints the same records.
  const std::string out = qlmtest::Run(QLM_LINUX_QMSCAN " --offline '" + root.string() + "' --json 2>/dev/null");
  const auto read = inventory::ReadInventory(utf8text::FromUtf8(out));
  ASSERT_TRUE(read);
  std::size_t at = 0;
  for (std::size_t k = 0; k < lists.size(); ++k)
    for (std::size_t i = 1; i <= lists[k].Count(); ++i, ++at) {
      ASSERT_LT(at, read->size());
      EXPECT_EQ(inventory::JsonRecord((*read)[at].kind, (*read)[at].record),
                inventory::JsonRecord(discovery::AddonKinds()[k].scanName, *lists[k].Item(i)));
    }
  EXPECT_EQ(at, read->size());
}

TEST(OfflineScan, ADirtySoftwareHiveListsWhatOnlyItsLogHolds) {
  std::vector<Row> later = World();
  later.push_back({Software, L"Microsoft\\Internet Explorer\\UrlSearchHooks", kT1, false, L""});
  const Bytes before = qlmtest::Hivexsh(kMinimal, Script(Software, World()), "before");
  const Bytes after = qlmtest::Hivexsh(kMinimal, Script(Software, later), "after");
  const std::uint32_t sequence = qlmtest::Get32(before, 8);
  Bytes dirty = before;
  qlmtest::Put32(dirty, 4, sequence + 1);
  qlmtest::SealBase(dirty);
  const Bytes log = qlmtest::LogFile(
      before, sequence, {{sequence, qlmtest::Get32(after, 40), qlmtest::ChangedPages(before, after, true)}});
  const fs::path root = WriteImage("dirty", dirty, log);
  engine::ImageFileSource image(root);
  engine::OfflineMachine offline(&image, {}, [](const std::wstring&) { return nullptr; });

  const auto hooks = discovery::ListAddons(discovery::Kind(TableId::kUrlSearchHooks), offline.Sources());
  ASSERT_EQ(hooks.size(), 1u);
  EXPECT_EQ(hooks[0].id, kT1);
  const std::wstring software = std::wstring(engine::OfflineMachine::kConfigFolder) + L"SOFTWARE";
  const std::wstring applied = formattext::Format(
      LoadStr(IDS_OFFLINE_LOG_APPLIED), {software + L".LOG1", L"1", std::to_wstring(sequence), LoadStr(IDS_HIVE_STOP_END)});
  const auto lines = engine::OfflineReportLines(offline.Report(), &LoadStr);
  EXPECT_NE(std::find(lines.begin(), lines.end(), applied), lines.end());
  // The program says so on standard error.
  const std::string err = qlmtest::Run(QLM_LINUX_QMSCAN " --offline '" + root.string() + "' 2>&1 >/dev/null");
  EXPECT_NE(err.find(Ascii(applied)), std::string::npos) << err;
}

// The image as a collector reads it: qmscan --jsonl checked by Python's
// strict reader against --json, the hashes against sha256sum, files that
// get no hash saying why, each exit code, and --output replacing its file
// whole even when the run is killed while writing.
TEST(OfflineScan, JsonLinesForCollectorsAreStrictHashedAndReplacedWhole) {
  const std::wstring toolbars = L"Microsoft\\Internet Explorer\\Toolbar", big = L"C:\\Program Files\\Maker\\big.dll";
  std::vector<Row> rows;  // no profile off the image's drive: the listing is whole
  for (const auto& row : World())
    if (row.key.find(kEve) == std::wstring::npos) rows.push_back(row);
  const std::vector<std::pair<std::wstring, std::wstring>> files = {
      {L"{22222222-0000-0000-0000-000000000001}", big},
      {L"{22222222-0000-0000-0000-000000000002}", L"\\\\server\\share\\x.dll"},
      {L"{22222222-0000-0000-0000-000000000003}", L"C:\\Program Files\\Maker\\none.dll"}};
  for (const auto& [id, file] : files) {
    rows.push_back({Software, toolbars, id, false, L""});
    rows.push_back({Software, L"Classes\\CLSID\\" + id + L"\\InProcServer32", L"", false, file});
  }
  const std::wstring hostile = L"\x1b[2J\u202E\u200Bevil\x7f";
  rows.push_back({Software, L"Microsoft\\Internet Explorer\\MenuExt\\" + hostile, L"", false, L"C:\\x.htm"});
  const fs::path root = WriteImage("fleet", qlmtest::Hivexsh(kMinimal, Script(Software, rows), "fleet-software"));
  std::ofstream(root / "Program Files/Maker/big.dll").put('M');
  fs::resize_file(root / "Program Files/Maker/big.dll", discovery::kMaxHashedBytes + 1);  // sparse
  const std::string qmscan = QLM_LINUX_QMSCAN " --offline '" + root.string() + "' ", out = qlmtest::TempDir() + "out";
  const auto code = [&](const std::string& args) { return qlmtest::Run(qmscan + args + " >/dev/null 2>&1; echo $?"); };

  // Quiet: the report of missing hives is held back while the run succeeds.
  EXPECT_NE(qlmtest::Run(qmscan + "--jsonl 2>&1 >/dev/null"), "");
  EXPECT_EQ(qlmtest::Run(qmscan + "--jsonl --quiet --output '" + out + "' 2>&1; echo $?"), "0\n");
  const std::string checked = qlmtest::Run("python3 " QLM_STRICT_JSONL " '" + out + "'");
  const auto listed = inventory::ReadInventory(utf8text::FromUtf8(qlmtest::Run(qmscan + "--json 2>/dev/null")));
  ASSERT_TRUE(listed);
  std::vector<qlmtest::JsonValue> lines;
  for (std::size_t at = 0, end; (end = checked.find('\n', at)) != std::string::npos; at = end + 1)
    ASSERT_TRUE(qlmtest::ParseJson(utf8text::FromUtf8(checked.substr(at, end - at)), lines.emplace_back())) << checked;
  ASSERT_EQ(lines.size(), listed->size() + 1) << checked;
  std::string raw = qlmtest::Run("cat '" + out + "'");
  raw.erase(std::remove(raw.begin(), raw.end(), '\n'), raw.end());
  EXPECT_FALSE(qlmtest::HoldsUnsafeCharacter(utf8text::FromUtf8(raw)));
  const std::string barSum = qlmtest::Run("sha256sum '" + root.string() + "/Program Files/Maker/bar.dll'").substr(0, 64);
  std::map<std::wstring, std::pair<std::wstring, std::int64_t>> byFile;  // file: hash or note, size
  std::set<std::wstring> ids;
  for (std::size_t i = 0; i < listed->size(); ++i) {
    const auto& row = *std::get<std::shared_ptr<qlmtest::JsonArray>>(lines[i].value);
    const auto text = [&](std::size_t at) { return std::get<std::wstring>(row[at].value); };
    const CResultNode& record = (*listed)[i].record;
    EXPECT_EQ(text(0), (*listed)[i].kind);
    EXPECT_EQ(text(1), record.ID);
    EXPECT_EQ(text(2), record.params.Text(L"dLL"));
    EXPECT_EQ(text(3), record.params.Text(L"sha256"));
    EXPECT_EQ(text(4), record.params.Text(L"hashNote"));
    byFile[text(2)] = {text(3) + text(4), std::get<std::int64_t>(row[5].value)};
    ids.insert(text(1));
  }
  EXPECT_EQ(ids.count(hostile), 1u);
  EXPECT_EQ(Ascii(byFile[L"C:\\Program Files\\Maker\\bar.dll"].first), barSum);
  EXPECT_EQ(byFile[big], std::make_pair(LoadStr(IDS_HASH_TOO_LARGE), std::int64_t(discovery::kMaxHashedBytes + 1)));
  EXPECT_EQ(byFile[files[1].second].first, LoadStr(IDS_HASH_NETWORK_PATH));
  EXPECT_EQ(byFile[files[2].second].first, LoadStr(IDS_HASH_NO_FILE));

  // Exit codes: a hive there but unreadable; bad arguments; no folder to
  // write into; every entry new against an empty listing.
  const std::string notAHive = " --hive 'user:S-1-5-21-9=" QLM_STRICT_JSONL "'";
  EXPECT_EQ(code("--jsonl" + notAHive), "1\n");
  EXPECT_NE(qlmtest::Run(qmscan + "--quiet" + notAHive + " 2>&1 >/dev/null"), "");
  EXPECT_EQ(code("--jsonl --csv"), "2\n");
  EXPECT_EQ(code("--output '" + out + ".none/x'"), "3\n");
  std::ofstream(out + ".empty") << "[]";
  EXPECT_EQ(code("--jsonl --compare '" + out + ".empty' --output '" + out + "'"), "4\n");
  EXPECT_NE(qlmtest::Run("python3 " QLM_STRICT_JSONL " '" + out + "'").find("\"new\"]"), std::string::npos);
  // A file that is no saved listing, or none: cannot run; --compare with a form or twice: bad arguments.
  for (const char* bytes : {"[{\"kind\": \"bho\", \"ID\": 1, \"values\": {}}]", "[\"\xC0\xAF\"]", "[{\"kind\":", ""}) {
    std::ofstream(out + ".bad", std::ios::binary) << bytes;
    EXPECT_EQ(code("--compare '" + out + ".bad'"), "3\n") << bytes;
  }
  EXPECT_EQ(code("--compare '" + out + ".none'"), "3\n");
  for (const char* bad : {"--compare", "--compare a --json", "--csv --compare a", "--compare a --compare b"})
    EXPECT_EQ(code(bad), "2\n") << bad;

  // Killed by the file size limit while writing: the earlier file stays,
  // and what was written is in a temporary file beside it.
  std::ofstream(out) << "earlier\n";
  qlmtest::Run("(ulimit -f 1; exec " + qmscan + "--jsonl --output '" + out + "') 2>/dev/null");
  EXPECT_EQ(qlmtest::Run("cat '" + out + "'"), "earlier\n");
  EXPECT_EQ(qlmtest::Run("find '" + qlmtest::TempDir() + "' -name '.qmscan-*.tmp' -size 1k | wc -l"), "1\n");
  // A link at the name is replaced, its target untouched.
  std::ofstream(out + ".victim") << "victim\n";
  fs::remove(out);
  fs::create_symlink(out + ".victim", out);
  EXPECT_EQ(code("--csv --output '" + out + "'"), "0\n");
  EXPECT_EQ(qlmtest::Run("cat '" + out + ".victim'"), "victim\n");
  EXPECT_FALSE(fs::is_symlink(out));
  EXPECT_EQ(qlmtest::Run("head -c 8 '" + out + "'"), "kind,ID,");
}

}  // namespace
