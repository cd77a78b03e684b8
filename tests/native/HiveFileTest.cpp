// The hive reader against two independent readers (hivexsh and reglookup)
// over hives written by an independent writer (hivexsh -w), reshaped into
// the list and data forms that writer never makes; dirty hives read with
// logs written from the published layout; broken parts left out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <regex>
#include <set>
#include <sstream>

#include "HiveTestFiles.h"
#include "engine/files/MemoryFileSource.h"
#include "engine/sources/HiveRegistry.h"
#include "ozcore/Utf8Text.h"

namespace {

using engine::HiveFile;
using engine::HiveProblem;
using engine::HiveRefusal;
using engine::Tree;
using qlmtest::Bytes;
using qlmtest::Put32;

const std::string kHives = QLM_CORPUS "/../hives/";

std::string TempDir() {
  static std::string dir;
  if (dir.empty()) {
    char pattern[] = "/tmp/qlm-hive-XXXXXX";
    dir = mkdtemp(pattern);
  }
  return dir;
}

// The peer writer's hive from the file, after the script's commands.
Bytes Hivexsh(const std::string& from, const std::string& script, const std::string& name) {
  const std::string to = TempDir() + "/" + name;
  std::ofstream(to + ".script") << script << "commit " << to << "\n";
  qlmtest::Run("hivexsh -w '" + from + "' < '" + to + ".script'");
  return qlmtest::ReadBytes(to);
}

// The bytes as a file source gives them: read through the reader's cache.
std::unique_ptr<engine::HiveBytes> Memory(const Bytes& bytes) {
  engine::MemoryFileSource files;
  files.AddFile(L"C:\\hive", bytes);
  return std::make_unique<engine::HiveBytesOver<engine::OpenFile>>(files.Open(L"C:\\hive"));
}

// Keys, a value of each type, a string over the 16344 bytes of a data
// segment, and 1200 subkeys of one key.
const Bytes& World() {
  static const Bytes world = [] {
    std::string script = "add Keys\nadd Values\ncd Keys\n";
    for (int i = 0; i < 1200; ++i) script += "add Key" + std::to_string(1000 + i) + "\n";
    script += "cd \\Values\nsetval 8\n@\nstring:default\nExpand\nexpandstring:%SystemRoot%/x\n"
              "Dword\ndword:0x12345678\nQword\nqword:0x1122334455\nBinary\nhex:3:00,01,ff\n"
              "Multi\nhex:7:61,00,00,00,62,00,00,00,00,00\nNone\nnone\nBig\nstring:" +
              std::string(8180, 'b') + "\nadd Nested\ncd Nested\nadd Deeper\n";
    return Hivexsh(kHives + "minimal.hive", script, "world.hive");
  }();
  return world;
}

// A list or big data record (no signature: a bare list of offsets).
Bytes Record(const std::string& signature, std::size_t count, const std::vector<std::uint32_t>& words) {
  Bytes b(signature.begin(), signature.end());
  if (!signature.empty()) b.insert(b.end(), {std::uint8_t(count), std::uint8_t(count >> 8)});
  for (const auto word : words) b.insert(b.end(), {std::uint8_t(word), std::uint8_t(word >> 8), std::uint8_t(word >> 16), std::uint8_t(word >> 24)});
  return b;
}

// Where the reshaped world's parts are.
struct Places {
  engine::HiveKey keys, values;
  engine::HiveValue big, expand, dword;
  std::uint32_t indexRoot = 0, indexLeaf = 0;
};

Places Locate(const Bytes& hive) {
  auto opened = HiveFile::Open(Memory(hive));
  HiveFile& h = *opened.hive;
  Places at;
  const auto top = h.SubKeys(*h.Key(h.RootCell()));
  at.keys = top.at(0);
  at.values = top.at(1);
  const auto values = h.Values(at.values);
  at.expand = values.at(1);
  at.dword = values.at(2);
  at.big = values.at(7);
  at.indexRoot = at.keys.subkeyList;
  at.indexLeaf = qlmtest::Get32(hive, 4096 + at.indexRoot + 8);
  return at;
}

// The world with its 1200 subkeys under an index root over an index leaf
// and a fast leaf, and its big string in big data segments.
const Bytes& Reshaped() {
  static const Bytes reshaped = [] {
    Bytes hive = World();
    const Places at = Locate(hive);
    const std::size_t list = 4096 + at.keys.subkeyList + 4;
    EXPECT_EQ(qlmtest::Get32(hive, list) & 0xFFFF, 0x686Cu);  // "lh" of all 1200
    std::vector<std::uint32_t> first, second;
    for (std::uint32_t i = 0; i < 1200; ++i) {
      const std::uint32_t key = qlmtest::Get32(hive, list + 4 + 8 * i);
      if (i < 600) first.push_back(key);
      else second.insert(second.end(), {key, 0});
    }
    const std::uint32_t leaf = qlmtest::AddCell(hive, Record("li", 600, first));
    const std::uint32_t fast = qlmtest::AddCell(hive, Record("lf", 600, second));
    Put32(hive, 4096 + at.keys.cell + 4 + 28, qlmtest::AddCell(hive, Record("ri", 2, {leaf, fast})));
    const std::size_t size = at.big.Size(), data = 4096 + at.big.dataField + 4;
    EXPECT_GT(size, 16344u);
    // As binary data of no pattern, so the peers show every byte.
    for (std::size_t i = 0; i < size; ++i) hive[data + i] = static_cast<std::uint8_t>(i * 131 + (i >> 8));
    Put32(hive, 4096 + at.big.cell + 4 + 12, 3);
    // Each segment's cell with four bytes to spare, as hivex expects.
    std::vector<std::uint32_t> segments;
    for (std::size_t from = 0; from < size; from += 16344) {
      Bytes segment(hive.begin() + data + from, hive.begin() + data + std::min(size, from + 16344));
      segment.resize(segment.size() + 4);
      segments.push_back(qlmtest::AddCell(hive, segment));
    }
    const std::uint32_t db = qlmtest::AddCell(hive, Record("db", segments.size(), {qlmtest::AddCell(hive, Record("", 0, segments))}));
    Put32(hive, 4096 + at.big.cell + 4 + 8, db);
    qlmtest::SealBase(hive);
    return hive;
  }();
  return reshaped;
}

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }
std::wstring OtherCase(std::wstring text) {
  for (auto& ch : text) ch = static_cast<wchar_t>(std::iswupper(ch) ? std::towlower(ch) : std::towupper(ch));
  return text;
}

// What both peers print, as our source reads it: reglookup's key lines
// (path, time) and value lines (path, type), and hivexsh's listing of each
// key's values (with the script that asks hivexsh for it).
struct PeerViews {
  std::string reglookup, hivexsh, script;
};

std::string HivexshValue(const std::wstring& name, const engine::ValueData& v) {
  std::string out = "\"" + (name.empty() ? "@" : Ascii(name)) + "\"=", text;
  for (std::size_t i = 0; i + 1 < v.bytes.size() && (v.bytes[i] | v.bytes[i + 1]); i += 2) text += char(v.bytes[i]);
  if (v.type == 1 || v.type == 2) return out + (v.type == 2 ? "str(2):\"" : "\"") + text + "\"";
  char hex[16];
  if (v.type == 4 && v.bytes.size() == 4) {
    std::snprintf(hex, sizeof hex, "dword:%08x", qlmtest::Get32(v.bytes, 0));
    return out + hex;
  }
  out += "hex(" + std::to_string(v.type) + "):";
  for (std::size_t i = 0; i < v.bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, i ? ",%02x" : "%02x", v.bytes[i]);
    out += hex;
  }
  return out;
}

void Views(engine::RegistrySource& reg, Tree tree, const std::wstring& path, const std::string& shown, PeerViews& out) {
  static const char* const kTypes[] = {"NONE", "SZ", "EXPAND_SZ", "BINARY", "DWORD", "DWORD_BE", "LINK", "MULTI_SZ",
                                       "RSRC_LIST", "RSRC_DESC", "RSRC_REQ_LIST", "QWORD"};
  const std::time_t time = static_cast<std::time_t>(*reg.LastWriteTime(tree, path) / 10000000 - 11644473600);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::gmtime(&time));
  out.reglookup += (shown.empty() ? "/" : shown) + ",KEY," + when + "\n";
  const std::string hivexPath = shown.empty() ? "\\" : std::regex_replace(shown, std::regex("/"), "\\");
  out.script += (shown.empty() ? "" : "cd " + hivexPath + "\n") + "cd\nlsval\n";
  out.hivexsh += hivexPath + "\n";
  for (const auto& name : reg.ValueNames(tree, path)) {
    const auto value = reg.ReadValue(tree, path, OtherCase(name), SIZE_MAX);
    ASSERT_TRUE(value && value->type < 12) << Ascii(name);
    out.reglookup += shown + "/" + Ascii(name) + "," + kTypes[value->type] + "\n";
    out.hivexsh += HivexshValue(name, *value) + "\n";
  }
  for (const auto& sub : reg.SubKeyNames(tree, path)) Views(reg, tree, path + L"\\" + OtherCase(sub), shown + "/" + Ascii(sub), out);
}

// reglookup's lines in the same form: the value column left out.
std::string ReglookupView(const std::string& file) {
  std::istringstream lines(qlmtest::Run("reglookup '" + file + "'"));
  std::string line, out;
  std::getline(lines, line);  // the column names
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    for (std::stringstream cut(line); fields.size() < 4 && std::getline(cut, fields.emplace_back(), ',');) {}
    out += fields[0] + "," + fields[1] + (fields[1] == "KEY" ? "," + fields[3] : "") + "\n";
  }
  return out;
}

// Our view of the hive against both peers' view of the file holding it.
void ExpectPeersAgree(std::unique_ptr<HiveFile> hive, const std::string& file) {
  engine::HiveRegistry reg;
  ASSERT_TRUE(reg.Mount(Tree::Machine, L"SOFTWARE", std::move(hive)));
  PeerViews ours;
  Views(reg, Tree::Machine, L"software", "", ours);
  EXPECT_EQ(ours.reglookup, ReglookupView(file));
  std::ofstream(file + ".peer") << ours.script;
  EXPECT_EQ(ours.hivexsh, qlmtest::Run("hivexsh '" + file + "' < '" + file + ".peer'"));
  EXPECT_EQ(reg.Mounted(Tree::Machine, L"SOFTWARE")->ProblemCount(), 0u);
}

TEST(HiveFile, ReadsWhatThePeersRead) {
  for (const Bytes* hive : {&World(), &Reshaped()}) {
    const std::string file = TempDir() + (hive == &World() ? "/plain.hive" : "/reshaped.hive");
    qlmtest::WriteBytes(file, *hive);
    // One held in memory, one read as a file.
    auto opened = HiveFile::Open(hive == &World() ? std::make_unique<engine::MemoryHiveBytes>(*hive) : Memory(*hive));
    ASSERT_TRUE(opened.hive);
    EXPECT_FALSE(opened.hive->Report().dirty);
    ExpectPeersAgree(std::move(opened.hive), file);
  }
}

// Names as Windows stored them: Latin-1 and UTF-16, NUL inside. The peers
// cut names at a NUL, so the whole names are checked against the file.
TEST(HiveFile, NamesAsStored) {
  const Bytes file = qlmtest::ReadBytes(kHives + "special.hive");
  auto opened = HiveFile::Open(Memory(file));
  ASSERT_TRUE(opened.hive);
  HiveFile& h = *opened.hive;
  const std::vector<std::wstring> expected = {L"abcd_\xE4\xF6\xFC\xDF", L"abcd_\xE4\xF6\xFC\xDF", L"weird\x2122",
                                              L"symbols $\xA3\x20A4\x20A7\x20AC", std::wstring(L"zero\0key", 8),
                                              std::wstring(L"zero\0val", 8)};
  std::vector<std::wstring> names;
  std::string peers = "", ours = "";
  for (const auto& key : h.SubKeys(*h.Key(h.RootCell()))) {
    names.push_back(key.name);
    for (const auto& value : h.Values(key)) names.push_back(value.name);
  }
  EXPECT_EQ(names, expected);
  for (const auto& name : names) {
    const auto stored = [&](bool utf16) {
      Bytes bytes;
      for (const wchar_t ch : name) {
        bytes.push_back(std::uint8_t(ch));
        if (utf16) bytes.push_back(std::uint8_t(ch >> 8));
      }
      return std::search(file.begin(), file.end(), bytes.begin(), bytes.end()) != file.end();
    };
    EXPECT_TRUE(stored(false) || stored(true)) << Ascii(name);
    ours += utf8text::ToUtf8(name.substr(0, name.find(L'\0'))) + "\n";
  }
  const std::string xml = qlmtest::Run("hivexml '" + kHives + "special.hive'");
  const std::regex attribute("(name|key)=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), attribute); it != std::sregex_iterator(); ++it)
    if ((*it)[2] != "$$$PROTO.HIV") peers += (*it)[2].str() + "\n";
  EXPECT_EQ(ours, peers);
}

// A primary file behind its logs: states A, B, C written one after the
// other by the peer writer, A's file made dirty, and the pages B and C
// changed logged as two entries.
TEST(HiveFile, DirtyHiveReadWithItsLogs) {
  // Marvin32 as published (seed 0x004FB61A001BDBCC), fed in pieces.
  engine::Marvin32 empty(0x004FB61A001BDBCCull), seven(0x004FB61A001BDBCCull);
  const std::uint8_t bytes[] = {0xab, 0x42, 0x7e, 0xa8, 0xd1, 0x0f, 0xc7};
  seven.Add(bytes, 3);
  seven.Add(bytes + 3, 4);
  EXPECT_EQ(empty.Finish(), 0x30ED35C100CD3C7Dull);
  EXPECT_EQ(seven.Finish(), 0xE11847E4F0678C41ull);

  const std::string dir = TempDir() + "/";
  const Bytes a = Hivexsh(kHives + "minimal.hive", "add A\ncd A\nsetval 1\nv\nstring:one\n", "a.hive");
  std::string grow;
  for (int i = 0; i < 40; ++i) grow += "add B" + std::to_string(i) + "\n";
  const Bytes b = Hivexsh(dir + "a.hive", grow, "b.hive");
  const Bytes c = Hivexsh(dir + "b.hive", "cd A\nsetval 1\nv\nstring:two\nadd C\n", "c.hive");
  const std::uint32_t s = qlmtest::Get32(a, 8);
  Bytes dirty = a;
  Put32(dirty, 4, s + 1);
  qlmtest::SealBase(dirty);
  const qlmtest::LogEntry first{s, qlmtest::Get32(b, 40), qlmtest::ChangedPages(a, b, true)};
  // The second entry's pages in falling order: each replaces a part inside
  // the first entry's run of pages.
  qlmtest::LogEntry second{s + 1, qlmtest::Get32(c, 40), qlmtest::ChangedPages(b, c, false)};
  std::reverse(second.pages.begin(), second.pages.end());
  const Bytes both = qlmtest::LogFile(a, s, {first, second});
  Bytes torn(both.begin(), both.end() - 512), mismatch = both, old(a.begin(), a.begin() + 1024);
  mismatch[mismatch.size() - 1000] ^= 1;
  Put32(old, 28, 1);
  Put32(old, 512, 0x54524944);  // "DIRT"
  qlmtest::SealBase(old);
  using Outcome = engine::HiveLogOutcome;
  using Stop = engine::HiveLogStop;
  const struct {
    const char* what;
    Bytes primary, log1, log2;
    const char* expected;
    Outcome outcome1, outcome2;
    Stop stop1;
  } cases[] = {
      {"both entries in LOG1", dirty, both, {}, "c.hive", Outcome::Applied, Outcome::Missing, Stop::AtEnd},
      {"the earlier entry in LOG2", dirty, qlmtest::LogFile(a, s + 1, {second}), qlmtest::LogFile(a, s, {first}),
       "c.hive", Outcome::Applied, Outcome::Applied, Stop::AtEnd},
      {"a torn last entry", dirty, torn, {}, "b.hive", Outcome::Applied, Outcome::Missing, Stop::Torn},
      {"a hash mismatch", dirty, mismatch, {}, "b.hive", Outcome::Applied, Outcome::Missing, Stop::HashMismatch},
      {"an old log", dirty, old, {}, "a.hive", Outcome::OldFormat, Outcome::Missing, Stop::AtEnd},
      {"entries older than the primary", dirty, qlmtest::LogFile(a, s - 1, {{s - 1, first.binsSize, first.pages}}), {},
       "a.hive", Outcome::NoneApplied, Outcome::Missing, Stop::AtEnd},
      {"a clean hive", a, both, {}, "a.hive", Outcome::NotNeeded, Outcome::Missing, Stop::AtEnd},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto opened = HiveFile::Open(Memory(c.primary), c.log1.empty() ? nullptr : Memory(c.log1),
                                 c.log2.empty() ? nullptr : Memory(c.log2));
    ASSERT_TRUE(opened.hive);
    const auto& logs = opened.hive->Report().recovery.logs;
    EXPECT_EQ(logs[0].outcome, c.outcome1);
    EXPECT_EQ(logs[1].outcome, c.outcome2);
    EXPECT_EQ(logs[0].stop, c.stop1);
    ExpectPeersAgree(std::move(opened.hive), dir + c.expected);
  }
}

struct Walked {
  HiveRefusal refusal = HiveRefusal::None;
  int keys = 0, values = 0;  // keys listed, values whose data was read
  std::set<HiveProblem> problems;
};

Walked Walk(const Bytes& bytes) {
  Walked walked;
  auto opened = HiveFile::Open(Memory(bytes));
  walked.refusal = opened.refusal;
  if (!opened.hive) return walked;
  HiveFile& h = *opened.hive;
  std::vector<engine::HiveKey> keys = {*h.Key(h.RootCell())};
  while (!keys.empty()) {
    const auto key = keys.back();
    keys.pop_back();
    ++walked.keys;
    for (const auto& value : h.Values(key)) walked.values += h.Data(value, SIZE_MAX).has_value();
    for (const auto& subkey : h.SubKeys(key)) keys.push_back(subkey);
  }
  for (const auto& problem : h.Problems()) walked.problems.insert(problem.problem);
  return walked;
}

// Each broken part alone: the hive is refused, or the walk leaves out what
// the part held (and no more) and names the problem.
TEST(HiveFile, BrokenPartsAreLeftOut) {
  const Walked whole = Walk(Reshaped());
  ASSERT_EQ(whole.keys, 1 + 2 + 1200 + 2);
  ASSERT_EQ(whole.values, 8);
  const Places at = Locate(Reshaped());
  const auto cell = [](std::uint32_t offset) { return 4096 + std::size_t{offset}; };
  const auto base = [](std::size_t field, std::uint32_t value) {
    return [=](Bytes& b) { Put32(b, field, value), qlmtest::SealBase(b); };
  };
  const auto field = [](std::size_t at, std::uint32_t value) { return [=](Bytes& b) { Put32(b, at, value); }; };
  const std::uint32_t leafKey = qlmtest::Get32(Reshaped(), cell(at.indexLeaf) + 8);
  const struct {
    const char* what;
    std::function<void(Bytes&)> breakIt;
    HiveRefusal refusal;
    std::optional<HiveProblem> problem;
    int keysLost, valuesLost;
  } cases[] = {
      {"root cell past the end", base(36, 0x7FFFFFF0), HiveRefusal::NoRootKey, {}, 0, 0},
      {"not a primary file", base(28, 6), HiveRefusal::NotAPrimaryFile, {}, 0, 0},
      {"2 GB of hive bins declared", base(40, 0x80000000), HiveRefusal::None, HiveProblem::BinsEndEarly, 0, 0},
      {"subkey list past the end", field(cell(at.keys.cell) + 32, 0x7FFFFFF8), HiveRefusal::None,
       HiveProblem::OffsetOutside, 1200, 0},
      {"cell size 0", field(cell(at.dword.cell), 0), HiveRefusal::None, HiveProblem::CellSizeZero, 0, 1},
      {"index root reaching a leaf twice", field(cell(at.indexRoot) + 12, at.indexLeaf), HiveRefusal::None,
       HiveProblem::ListRepeats, 600, 0},
      {"index root below an index root", field(cell(at.indexLeaf) + 4, 0x02586972), HiveRefusal::None,
       HiveProblem::IndexRootNested, 600, 0},
      {"big data shorter than the value", field(cell(at.big.cell) + 8, 3 * 16344), HiveRefusal::None,
       HiveProblem::BigDataBroken, 0, 1},
      {"big data list longer than the value", field(cell(at.big.dataField) + 4, 0xFFFF6264), HiveRefusal::None, {}, 0, 0},
      {"key name past its cell", field(cell(leafKey) + 4 + 72, 0xFFFF), HiveRefusal::None, HiveProblem::NamePastCell, 1, 0},
      {"2 GB of value data", field(cell(at.expand.cell) + 8, 0x7FFFFFF0), HiveRefusal::None, HiveProblem::DataPastCell, 0, 1},
      {"a subkey of another parent", field(cell(leafKey) + 4 + 16, at.values.cell), HiveRefusal::None,
       HiveProblem::WrongParent, 1, 0},
      {"symbolic link", [&](Bytes& b) { b[cell(at.values.cell) + 6] |= 0x10; }, HiveRefusal::None, {}, 2, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes broken = Reshaped();
    c.breakIt(broken);
    const Walked walked = Walk(broken);
    EXPECT_EQ(walked.refusal, c.refusal);
    if (walked.refusal != HiveRefusal::None) continue;
    EXPECT_EQ(walked.keys, whole.keys - c.keysLost);
    EXPECT_EQ(walked.values, whole.values - c.valuesLost);
    EXPECT_EQ(walked.problems.count(*c.problem), c.problem ? 1u : 0u);
    if (!c.problem) EXPECT_TRUE(walked.problems.empty());
  }
}

// The trees of hives: top keys named by the caller, links, the limit.
TEST(HiveRegistry, TopKeysLinksAndLimit) {
  Bytes linked = Reshaped();
  const Places at = Locate(linked);
  linked[4096 + at.values.cell + 6] |= 0x10;
  engine::HiveRegistry reg;
  const std::wstring sid = L"S-1-5-21-1-2-3-1001";
  ASSERT_TRUE(reg.Mount(Tree::Users, sid, HiveFile::Open(Memory(World())).hive));
  ASSERT_TRUE(reg.Mount(Tree::Users, sid + L"_Classes", HiveFile::Open(Memory(linked)).hive));
  EXPECT_FALSE(reg.Mount(Tree::Users, L"s-1-5-21-1-2-3-1001", HiveFile::Open(Memory(World())).hive));
  EXPECT_EQ(reg.SubKeyNames(Tree::Users, L""), (std::vector<std::wstring>{sid, sid + L"_Classes"}));
  EXPECT_TRUE(reg.SubKeyNames(Tree::Machine, L"").empty());
  EXPECT_FALSE(reg.KeyExists(Tree::Machine, L"SOFTWARE"));
  const auto big = reg.ReadValue(Tree::Users, sid + L"\\Values", L"big", 16361);
  ASSERT_TRUE(big);
  EXPECT_TRUE(big->tooLarge && big->bytes.empty() && big->size == 16362u);
  EXPECT_EQ(reg.ReadValue(Tree::Users, sid + L"\\VALUES", L"BIG", 16362)->bytes.size(), 16362u);
  // Nothing is read through a link or from it.
  EXPECT_TRUE(reg.KeyExists(Tree::Users, sid + L"\\Values\\Nested\\Deeper"));
  EXPECT_TRUE(reg.IsLink(Tree::Users, sid + L"_Classes\\values"));
  EXPECT_FALSE(reg.KeyExists(Tree::Users, sid + L"_Classes\\Values\\Nested"));
  EXPECT_TRUE(reg.ValueNames(Tree::Users, sid + L"_Classes\\Values").empty());
  EXPECT_FALSE(reg.ReadValue(Tree::Users, sid + L"_Classes\\Values", L"Dword", 100));
}

}  // namespace
