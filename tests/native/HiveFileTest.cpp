// The hive reader against two independent readers (hivexsh, reglookup) over
// hives written by an independent writer (hivexsh -w), some reshaped into
// the list and data forms that writer never makes; dirty hives read with
// logs written from the published layout; broken parts left out.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>

#include "HiveTestFiles.h"
#include "engine/sources/HiveRegistry.h"

namespace {

using engine::HiveFile;
using engine::HiveProblem;
using engine::HiveRefusal;
using engine::Tree;
using qlmtest::AsFile;
using qlmtest::Bytes;
using qlmtest::Get32;
using qlmtest::Put32;

const std::string kHives = QLM_CORPUS "/../hives/";

using qlmtest::Hivexsh;
using qlmtest::Run;
using qlmtest::TempDir;

// Keys, a value of each type, a string over the 16344 bytes of a big data
// segment, and 1200 subkeys of one key.
const Bytes& World() {
  static const Bytes world = [] {
    std::string script = "add Keys\nadd Values\ncd Keys\n";
    for (int i = 0; i < 1200; ++i) script += "add Key" + std::to_string(1000 + i) + "\n";
    return Hivexsh(kHives + "minimal.hive",
                   script +
                       "cd \\Values\nsetval 8\n@\nstring:default\nExpand\nexpandstring:%SystemRoot%/x\n"
                       "Dword\ndword:0x12345678\nQword\nqword:0x1122334455\nBinary\nhex:3:00,01,ff\nMulti\n"
                       "hex:7:61,00,00,00,62,00,00,00,00,00\nNone\nnone\nBig\nstring:" +
                       std::string(8180, 'b') + "\nadd Nested\ncd Nested\nadd Deeper\n",
                   "world.hive");
  }();
  return world;
}

// Appends a hive bin holding one cell with the words (signature, count and
// offsets; 16-bit words where the bits say) or bytes.
std::uint32_t AddCell(Bytes& hive, const Bytes& payload) {
  const std::uint32_t at = Get32(hive, 40), cell = (payload.size() + 11) / 8 * 8, bin = (cell + 4127) / 4096 * 4096;
  hive.resize(4096 + at + bin, 0);
  Put32(hive, 4096 + at, 0x6E696268 | (std::uint64_t{at} << 32), 8);  // "hbin"
  Put32(hive, 4096 + at + 8, bin);
  Put32(hive, 4096 + at + 32, 0u - cell);
  std::copy(payload.begin(), payload.end(), hive.begin() + 4096 + at + 36);
  if (bin > 32 + cell) Put32(hive, 4096 + at + 32 + cell, bin - 32 - cell);
  Put32(hive, 40, at + bin);
  qlmtest::SealBase(hive);
  return at + 32;
}
// A list or big data record: signature, count, offsets (a bare list of
// offsets without a signature).
Bytes Words(const std::string& signature, std::size_t count, const std::vector<std::uint32_t>& words) {
  Bytes b(signature.begin(), signature.end());
  if (!b.empty()) b.insert(b.end(), {std::uint8_t(count), std::uint8_t(count >> 8)});
  for (const auto word : words) b.insert(b.end(), 4, 0), Put32(b, b.size() - 4, word);
  return b;
}

// Where the parts of a world are (key and value cells in the order made).
struct Places {
  engine::HiveKey keys, values;
  std::vector<engine::HiveValue> data;
};
Places Locate(const Bytes& hive) {
  auto h = HiveFile::Open(AsFile(hive)).hive;
  const auto top = h->SubKeys(*h->Key(h->RootCell()));
  return {top.at(0), top.at(1), h->Values(top.at(1))};
}

// The world with its 1200 subkeys in an index root over an index leaf and
// a fast leaf, and its big string as binary data in big data segments.
const Bytes& Reshaped() {
  static const Bytes reshaped = [] {
    Bytes hive = World();
    const Places at = Locate(hive);
    const std::size_t list = 4096 + at.keys.subkeyList + 4, size = at.data[7].Size(),
                      data = 4096 + at.data[7].dataField + 4;
    EXPECT_TRUE(Get32(hive, list) == (0x686C | (1200 << 16)) && size > 16344);  // "lh" of 1200
    std::vector<std::uint32_t> first, second;  // the second as a fast leaf's pairs (its hashes the hints)
    for (std::size_t i = 0; i < 2400; ++i) (i < 1200 ? first : second).push_back(Get32(hive, list + 4 + 4 * i));
    for (std::size_t i = 0; i < 600; ++i) first[i] = first[2 * i];
    first.resize(600);
    const std::uint32_t root = AddCell(
        hive, Words("ri", 2, {AddCell(hive, Words("li", 600, first)), AddCell(hive, Words("lf", 600, second))}));
    Put32(hive, 4096 + at.keys.cell + 4 + 28, root);
    for (std::size_t i = 0; i < size; ++i) hive[data + i] = static_cast<std::uint8_t>(i * 131 + (i >> 8));
    Put32(hive, 4096 + at.data[7].cell + 4 + 12, 3);
    // Each segment's cell with four bytes to spare, as hivex expects.
    std::vector<std::uint32_t> segments;
    for (std::size_t from = 0; from < size; from += 16344) {
      Bytes segment(hive.begin() + data + from, hive.begin() + data + std::min(size, from + 16344));
      segment.resize(segment.size() + 4);
      segments.push_back(AddCell(hive, segment));
    }
    Put32(hive, 4096 + at.data[7].cell + 4 + 8,
          AddCell(hive, Words("db", segments.size(), {AddCell(hive, Words("", 0, segments))})));
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

// What each peer prints, as our source reads it (names asked for in the
// other letter case): reglookup's key lines (path, time) and value lines
// (path, type); hivexsh's listing of each key's values, and the script
// that asks hivexsh for it.
struct PeerViews {
  std::string reglookup, hivexsh, script;
};
void Views(engine::RegistrySource& reg, const std::wstring& path, const std::string& shown, PeerViews& out) {
  static const char* const kTypes[] = {"NONE", "SZ",       "EXPAND_SZ", "BINARY",    "DWORD",         "DWORD_BE",
                                       "LINK", "MULTI_SZ", "RSRC_LIST", "RSRC_DESC", "RSRC_REQ_LIST", "QWORD"};
  const auto time = static_cast<std::time_t>(*reg.LastWriteTime(Tree::Machine, path) / 10000000 - 11644473600);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::gmtime(&time));
  out.reglookup += (shown.empty() ? "/" : shown) + ",KEY," + text + "\n";
  const std::string hivexPath = shown.empty() ? "\\" : std::regex_replace(shown, std::regex("/"), "\\");
  out.script += (shown.empty() ? "" : "cd " + hivexPath + "\n") + "cd\nlsval\n";
  out.hivexsh += hivexPath + "\n";
  for (const auto& name : reg.ValueNames(Tree::Machine, path)) {
    const auto v = reg.ReadValue(Tree::Machine, path, OtherCase(name), SIZE_MAX);
    ASSERT_TRUE(v && v->type < 12) << Ascii(name);
    out.reglookup += shown + "/" + Ascii(name) + "," + kTypes[v->type] + "\n";
    std::string line = "\"" + (name.empty() ? "@" : Ascii(name)) + "\"=";
    if (v->type == 1 || v->type == 2) {
      line += v->type == 2 ? "str(2):\"" : "\"";
      for (std::size_t i = 0; i + 1 < v->bytes.size() && (v->bytes[i] | v->bytes[i + 1]); i += 2)
        line += char(v->bytes[i]);
      line += "\"";
    } else if (v->type == 4 && v->bytes.size() == 4) {
      std::snprintf(text, sizeof text, "dword:%08x", Get32(v->bytes, 0));
      line += text;
    } else {
      line += "hex(" + std::to_string(v->type) + "):";
      for (std::size_t i = 0; i < v->bytes.size(); ++i)
        line +=
            (i ? "," : "") + std::string{"0123456789abcdef"[v->bytes[i] >> 4], "0123456789abcdef"[v->bytes[i] & 15]};
    }
    out.hivexsh += line + "\n";
  }
  for (const auto& sub : reg.SubKeyNames(Tree::Machine, path))
    Views(reg, path + L"\\" + OtherCase(sub), shown + "/" + Ascii(sub), out);
}

// Our view of the hive against both peers' view of the file.
void ExpectPeersAgree(std::unique_ptr<HiveFile> hive, const std::string& file) {
  engine::HiveRegistry reg;
  ASSERT_TRUE(reg.Mount(Tree::Machine, L"SOFTWARE", std::move(hive)));
  PeerViews ours;
  Views(reg, L"software", "", ours);
  // reglookup's lines in the same form: the value column left out.
  std::istringstream lines(Run("reglookup '" + file + "'"));
  std::string line, theirs;
  for (std::getline(lines, line); std::getline(lines, line);) {
    std::vector<std::string> fields;
    for (std::stringstream cut(line); fields.size() < 4 && std::getline(cut, fields.emplace_back(), ',');) {
    }
    theirs += fields[0] + "," + fields[1] + (fields[1] == "KEY" ? "," + fields[3] : "") + "\n";
  }
  EXPECT_EQ(ours.reglookup, theirs);
  std::ofstream(file + ".peer") << ours.script;
  EXPECT_EQ(ours.hivexsh, Run("hivexsh '" + file + "' < '" + file + ".peer'"));
  EXPECT_EQ(reg.Mounted(Tree::Machine, L"SOFTWARE")->ProblemCount(), 0u);
}

TEST(HiveFile, ReadsWhatThePeersRead) {
  for (const Bytes* hive : {&World(), &Reshaped()}) {
    const std::string file = TempDir() + (hive == &World() ? "plain.hive" : "reshaped.hive");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(hive->data()), hive->size());
    // One held in memory, one read as a file.
    auto opened = HiveFile::Open(hive == &World() ? std::make_unique<engine::MemoryHiveBytes>(*hive) : AsFile(*hive));
    ASSERT_TRUE(opened.hive);
    EXPECT_FALSE(opened.hive->Report().dirty);
    ExpectPeersAgree(std::move(opened.hive), file);
  }
}

// Names as Windows stored them, in Latin-1 or UTF-16, NUL inside: the
// peers cut names at a NUL, so whole names are found in the file's bytes.
TEST(HiveFile, NamesAsStored) {
  const Bytes file = qlmtest::ReadBytes(kHives + "special.hive");
  auto h = HiveFile::Open(AsFile(file)).hive;
  ASSERT_TRUE(h);
  std::vector<std::wstring> names;
  for (const auto& key : h->SubKeys(*h->Key(h->RootCell()))) {
    names.push_back(key.name);
    for (const auto& value : h->Values(key)) names.push_back(value.name);
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"abcd_\xE4\xF6\xFC\xDF", L"abcd_\xE4\xF6\xFC\xDF", L"weird\x2122",
                                              L"symbols $\xA3\x20A4\x20A7\x20AC", std::wstring(L"zero\0key", 8),
                                              std::wstring(L"zero\0val", 8)}));
  for (const auto& name : names) {
    Bytes latin, utf16;
    for (const wchar_t ch : name)
      latin.push_back(std::uint8_t(ch)), utf16.insert(utf16.end(), {std::uint8_t(ch), std::uint8_t(ch >> 8)});
    EXPECT_TRUE(std::search(file.begin(), file.end(), latin.begin(), latin.end()) != file.end() ||
                std::search(file.begin(), file.end(), utf16.begin(), utf16.end()) != file.end());
  }
}

// A primary file behind its logs: states A, B, C written one after the
// other by the peer writer, A's file made dirty, the pages B and C changed
// logged as two entries (the second's pages in falling order, each inside
// the first's run of pages).
TEST(HiveFile, DirtyHiveReadWithItsLogs) {
  engine::Marvin32 empty(0x004FB61A001BDBCCull), seven(0x004FB61A001BDBCCull);  // as published
  const std::uint8_t bytes[] = {0xab, 0x42, 0x7e, 0xa8, 0xd1, 0x0f, 0xc7};
  seven.Add(bytes, 3);
  seven.Add(bytes + 3, 4);
  EXPECT_EQ(empty.Finish(), 0x30ED35C100CD3C7Dull);
  EXPECT_EQ(seven.Finish(), 0xE11847E4F0678C41ull);

  std::string grow;
  for (int i = 0; i < 40; ++i) grow += "add B" + std::to_string(i) + "\n";
  const Bytes a = Hivexsh(kHives + "minimal.hive", "add A\ncd A\nsetval 1\nv\nstring:one\n", "a.hive"),
              b = Hivexsh(TempDir() + "a.hive", grow, "b.hive"),
              c = Hivexsh(TempDir() + "b.hive", "cd A\nsetval 1\nv\nstring:two\nadd C\n", "c.hive");
  const std::uint32_t s = Get32(a, 8);
  Bytes dirty = a, old(a.begin(), a.begin() + 1024);
  Put32(dirty, 4, s + 1);
  qlmtest::SealBase(dirty);
  Put32(old, 28, 1);
  Put32(old, 512, 0x54524944);  // "DIRT"
  qlmtest::SealBase(old);
  const qlmtest::LogEntry first{s, Get32(b, 40), qlmtest::ChangedPages(a, b, true)};
  qlmtest::LogEntry second{s + 1, Get32(c, 40), qlmtest::ChangedPages(b, c, false)};
  std::reverse(second.pages.begin(), second.pages.end());
  const Bytes both = qlmtest::LogFile(a, s, {first, second});
  Bytes torn(both.begin(), both.end() - 512), mismatch = both;
  mismatch[mismatch.size() - 1000] ^= 1;
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
      {"entries older than the primary",
       dirty,
       qlmtest::LogFile(a, s - 1, {{s - 1, first.binsSize, first.pages}}),
       {},
       "a.hive",
       Outcome::NoneApplied,
       Outcome::Missing,
       Stop::AtEnd},
      {"a clean hive", a, both, {}, "a.hive", Outcome::NotNeeded, Outcome::Missing, Stop::AtEnd},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto opened = HiveFile::Open(AsFile(c.primary), c.log1.empty() ? nullptr : AsFile(c.log1),
                                 c.log2.empty() ? nullptr : AsFile(c.log2));
    ASSERT_TRUE(opened.hive);
    const auto& logs = opened.hive->Report().recovery.logs;
    EXPECT_TRUE(logs[0].outcome == c.outcome1 && logs[1].outcome == c.outcome2 && logs[0].stop == c.stop1);
    ExpectPeersAgree(std::move(opened.hive), TempDir() + c.expected);
  }
}

struct Walked {
  HiveRefusal refusal = HiveRefusal::None;
  int keys = 0, values = 0;  // keys listed, values whose data was read
  std::set<HiveProblem> problems;
};
Walked Walk(const Bytes& bytes) {
  Walked walked;
  auto opened = HiveFile::Open(AsFile(bytes));
  walked.refusal = opened.refusal;
  if (!opened.hive) return walked;
  for (std::vector<engine::HiveKey> keys = {*opened.hive->Key(opened.hive->RootCell())}; !keys.empty(); ++walked.keys) {
    const auto key = keys.back();
    keys.pop_back();
    for (const auto& value : opened.hive->Values(key)) walked.values += opened.hive->Data(value, SIZE_MAX).has_value();
    for (const auto& subkey : opened.hive->SubKeys(key)) keys.push_back(subkey);
  }
  for (const auto& problem : opened.hive->Problems()) walked.problems.insert(problem.problem);
  return walked;
}

// Each broken part alone: the hive is refused, or the walk leaves out what
// the part held (and no more) and names the problem.
TEST(HiveFile, BrokenPartsAreLeftOut) {
  const Walked whole = Walk(Reshaped());
  ASSERT_TRUE(whole.keys == 1 + 2 + 1200 + 2 && whole.values == 8 && whole.problems.empty());
  const Places at = Locate(Reshaped());
  const auto cell = [](std::uint32_t offset) { return 4096 + std::size_t{offset}; };
  const std::uint32_t leaf = Get32(Reshaped(), cell(at.keys.subkeyList) + 8),
                      leafKey = Get32(Reshaped(), cell(leaf) + 8);
  const auto set = [](std::size_t field, std::uint32_t value, bool base = false) {
    return [=](Bytes& b) { Put32(b, field, value), base ? qlmtest::SealBase(b) : void(); };
  };
  const struct {
    const char* what;
    std::function<void(Bytes&)> breakIt;
    HiveRefusal refusal;
    std::set<HiveProblem> problems;
    int keysLost, valuesLost;
  } cases[] = {
      {"root cell past the end", set(36, 0x7FFFFFF0, true), HiveRefusal::NoRootKey, {}, 0, 0},
      {"a log as the primary file", set(28, 6, true), HiveRefusal::NotAPrimaryFile, {}, 0, 0},
      {"2 GB of hive bins declared", set(40, 0x80000000, true), HiveRefusal::None, {HiveProblem::BinsEndEarly}, 0, 0},
      {"subkey list past the end",
       set(cell(at.keys.cell) + 32, 0x7FFFFFF8),
       HiveRefusal::None,
       {HiveProblem::OffsetOutside, HiveProblem::CountMismatch},
       1200,
       0},
      {"cell size 0", set(cell(at.data[2].cell), 0), HiveRefusal::None, {HiveProblem::CellSizeZero}, 0, 1},
      {"index root reaching a leaf twice",
       set(cell(at.keys.subkeyList) + 12, leaf),
       HiveRefusal::None,
       {HiveProblem::ListRepeats, HiveProblem::CountMismatch},
       600,
       0},
      {"index root below an index root",
       set(cell(leaf) + 4, 0x02586972),
       HiveRefusal::None,
       {HiveProblem::IndexRootNested, HiveProblem::CountMismatch},
       600,
       0},
      {"big data shorter than the value",
       set(cell(at.data[7].cell) + 8, 3 * 16344),
       HiveRefusal::None,
       {HiveProblem::BigDataBroken},
       0,
       1},
      {"big data list longer than the value",
       set(cell(at.data[7].dataField) + 4, 0xFFFF6264),
       HiveRefusal::None,
       {},
       0,
       0},
      {"key name past its cell",
       set(cell(leafKey) + 4 + 72, 0xFFFF),
       HiveRefusal::None,
       {HiveProblem::NamePastCell},
       1,
       0},
      {"2 GB of value data",
       set(cell(at.data[1].cell) + 8, 0x7FFFFFF0),
       HiveRefusal::None,
       {HiveProblem::DataPastCell},
       0,
       1},
      {"a subkey of another parent",
       set(cell(leafKey) + 4 + 16, at.values.cell),
       HiveRefusal::None,
       {HiveProblem::WrongParent},
       1,
       0},
      {"symbolic link", [&](Bytes& b) { b[cell(at.values.cell) + 6] |= 0x10; }, HiveRefusal::None, {}, 2, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes broken = Reshaped();
    c.breakIt(broken);
    const Walked walked = Walk(broken);
    EXPECT_EQ(walked.refusal, c.refusal);
    if (walked.refusal != HiveRefusal::None) continue;
    EXPECT_TRUE(walked.keys == whole.keys - c.keysLost && walked.values == whole.values - c.valuesLost);
    EXPECT_EQ(walked.problems, c.problems);
  }
}

// Top keys named by the caller, in any letter case; links; the limit.
TEST(HiveRegistry, TopKeysLinksAndLimit) {
  Bytes linked = Reshaped();
  linked[4096 + Locate(linked).values.cell + 6] |= 0x10;
  engine::HiveRegistry reg;
  const std::wstring sid = L"S-1-5-21-1-2-3-1001", classes = sid + L"_Classes";
  ASSERT_TRUE(reg.Mount(Tree::Users, sid, HiveFile::Open(AsFile(World())).hive));
  ASSERT_TRUE(reg.Mount(Tree::Users, classes, HiveFile::Open(AsFile(linked)).hive));
  EXPECT_FALSE(reg.Mount(Tree::Users, L"s-1-5-21-1-2-3-1001", HiveFile::Open(AsFile(World())).hive));
  EXPECT_EQ(reg.SubKeyNames(Tree::Users, L""), (std::vector<std::wstring>{sid, classes}));
  EXPECT_TRUE(reg.SubKeyNames(Tree::Machine, L"").empty() && !reg.KeyExists(Tree::Machine, L"SOFTWARE"));
  const auto big = reg.ReadValue(Tree::Users, sid + L"\\Values", L"big", 16361);
  EXPECT_TRUE(big && big->tooLarge && big->bytes.empty() && big->size == 16362u);
  EXPECT_EQ(reg.ReadValue(Tree::Users, sid + L"\\VALUES", L"BIG", 16362)->bytes.size(), 16362u);
  // Nothing is read through a link or from it.
  EXPECT_TRUE(reg.KeyExists(Tree::Users, sid + L"\\Values\\Nested\\Deeper") &&
              reg.IsLink(Tree::Users, classes + L"\\values"));
  EXPECT_FALSE(reg.KeyExists(Tree::Users, classes + L"\\Values\\Nested"));
  EXPECT_TRUE(reg.ValueNames(Tree::Users, classes + L"\\Values").empty());
  EXPECT_FALSE(reg.ReadValue(Tree::Users, classes + L"\\Values", L"Dword", 100));
}

}  // namespace
