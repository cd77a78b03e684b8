// The live registry source over the prefix's real registry, checked against
// Wine's own "reg export" of the same keys read into memory, and, for what
// its export cannot carry (names with NUL, key names with line breaks,
// strings without their closing NUL, short dwords, links), against what the
// test wrote.
#include <gtest/gtest.h>

#include "engine/sources/LiveRegistry.h"
#include "engine/sources/RegFileReader.h"
#include "native/fuzz/SourceDump.h"
#include "support/HostileRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;
using engine::Tree;

namespace {

// Values from 200 bytes up come back too large: one just over, under the
// first read's buffer, one far over.
constexpr std::size_t kLimit = 200;

std::vector<std::uint8_t> Text(const std::wstring& text, bool closingNul = true) {
  std::vector<std::uint8_t> bytes;
  for (const wchar_t ch : text + (closingNul ? std::wstring(1, L'\0') : L""))
    bytes.insert(bytes.end(), {static_cast<std::uint8_t>(ch & 0xFF), static_cast<std::uint8_t>(ch >> 8)});
  return bytes;
}

// A scratch key as the system names it below root, and as the source names
// it below tree; every key and value made there goes into expected too.
struct Area {
  HKEY root;
  std::wstring path;
  Tree tree;
  std::wstring treePath;
};

struct World {
  engine::MemoryRegistry expected;

  UniqueKey Key(const Area& area, const std::wstring& parent, const std::wstring& name, REGSAM view = 0) {
    expected.CreateKey(area.tree, area.treePath + L"\\" + parent + L"\\" + name);
    return hostile::CreateKey(area.root, parent.empty() ? area.path : area.path + L"\\" + parent, name, view);
  }
  void Value(const UniqueKey& key, const Area& area, const std::wstring& keyPath, const std::wstring& name, DWORD type,
             std::vector<std::uint8_t> bytes) {
    hostile::SetValue(key.get(), name, type, bytes.data(), bytes.size());
    expected.SetValue(area.tree, area.treePath + L"\\" + keyPath, name, type, std::move(bytes));
  }
};

// Every value type and the names and data an export has to escape.
void CarriedKeys(World& world, const Area& area) {
  const UniqueKey top = world.Key(area, L"", L"Carried");
  const auto put = [&](const std::wstring& name, DWORD type, std::vector<std::uint8_t> bytes) {
    world.Value(top, area, L"Carried", name, type, std::move(bytes));
  };
  put(L"", REG_SZ, Text(L"default"));
  put(L"quote\"back\\slash]=@", REG_SZ, Text(L"C:\\x \"y\" ;z"));
  put(L"\u00c4rger \u4e2d\u6587", REG_SZ, Text(L"\u0416 \U0001F600"));
  put(L"line\r\nbreak", REG_SZ, Text(L"a\r\nb"));
  put(L"expand", REG_EXPAND_SZ, Text(L"%SystemRoot%\\x.dll"));
  put(L"multi", REG_MULTI_SZ, Text(std::wstring(L"one\0two\0", 8)));
  put(L"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12});
  put(L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
  std::vector<std::uint8_t> wraps(150);
  for (std::size_t i = 0; i < wraps.size(); ++i) wraps[i] = static_cast<std::uint8_t>(i * 7);
  put(L"binary", REG_BINARY, wraps);
  put(L"empty", REG_BINARY, {});
  put(L"none", REG_NONE, {0xab});
  put(L"odd type", 0x1234, {0xcd, 0xef});
  put(L"big", REG_BINARY, std::vector<std::uint8_t>(kLimit + 1, 0x5a));
  put(L"huge", REG_BINARY, std::vector<std::uint8_t>(70000, 0xa5));
  world.Value(world.Key(area, L"Carried", L"Sub [x]"), area, L"Carried\\Sub [x]", L"s", REG_SZ, Text(L"1"));
  world.Key(area, L"Carried\\Sub [x]", L"\u041a\u043b\u044e\u0447");
  world.Key(area, L"Carried", L"Empty");
}

// Deletes the areas' keys at the end, links first and never followed.
struct Cleanup {
  std::vector<std::pair<HKEY, std::wstring>> keys;
  ~Cleanup() {
    for (const auto& [root, path] : keys) {
      const std::size_t slash = path.rfind(L'\\');
      hostile::DeleteTree(root, path.substr(0, slash), path.substr(slash + 1));
    }
  }
};

engine::MemoryRegistry Exported(const std::wstring& key, const TempFolder& tmp) {
  const std::wstring file = tmp.File(L"oracle.reg");
  DeleteFileW(file.c_str());
  EXPECT_EQ(RunProcess(L"\"" + RegExe() + L"\" export \"" + key + L"\" \"" + file + L"\" /y"), 0) << Narrow(key);
  engine::MemoryRegistry read;
  const engine::RegTextOutcome outcome = engine::ReadRegText(ReadUtf16File(file), read);
  EXPECT_TRUE(outcome.hasHeader && outcome.skipped.empty()) << Narrow(key);
  return read;
}

}  // namespace

TEST(LiveRegistry, ReadsWhatExportShowsAndWhatNoExportCarries) {
  ScratchKey machineKey(HKEY_LOCAL_MACHINE, L"live"), userKey(HKEY_CURRENT_USER, L"live");
  // "\REGISTRY\USER\<SID>\Software\...": the same key below HKEY_USERS.
  const std::wstring userKernelPath = hostile::KernelPath(HKEY_CURRENT_USER, userKey.Path());
  const Area machine{HKEY_LOCAL_MACHINE, machineKey.Path(), Tree::Machine, machineKey.Path()};
  const Area user{HKEY_CURRENT_USER, userKey.Path(), Tree::Users, userKernelPath.substr(15)};
  const Area wow32{HKEY_LOCAL_MACHINE, machineKey.Path(), Tree::Machine, Wow32Path(machineKey.Path())};
  Cleanup cleanup{{{HKEY_LOCAL_MACHINE, machineKey.Path()}, {HKEY_LOCAL_MACHINE, Wow32Path(machineKey.Path())}}};
  FILETIME before;
  GetSystemTimeAsFileTime(&before);

  World world;
  CarriedKeys(world, machine);
  CarriedKeys(world, user);
  world.Value(world.Key(wow32, L"", L"View32", KEY_WOW64_32KEY), wow32, L"View32", L"bits", REG_DWORD, {32, 0, 0, 0});
  const std::wstring nulKey(L"nul\0key", 7), nulValue(L"name\0tail", 9);
  const UniqueKey counted = world.Key(machine, L"", L"Counted");
  world.Value(counted, machine, L"Counted", nulValue, REG_SZ, Text(L"after the NUL"));
  world.Value(counted, machine, L"Counted", L"no closing NUL", REG_SZ, Text(L"line\nbreak", false));
  world.Value(counted, machine, L"Counted", L"short dword", REG_DWORD, {1, 2});
  world.Value(world.Key(machine, L"Counted", nulKey), machine, L"Counted\\" + nulKey, L"v", REG_DWORD, {1, 0, 0, 0});
  world.Key(machine, L"Counted", L"line\nbreak");
  const UniqueKey target = world.Key(machine, L"Counted", L"Target");
  world.Value(target, machine, L"Counted\\Target", L"inTarget", REG_SZ, Text(L"t"));
  world.Key(machine, L"Counted\\Target", L"TargetSub");
  hostile::CreateLink(HKEY_LOCAL_MACHINE, machine.path + L"\\Counted", L"Link",
                      hostile::KernelPath(HKEY_LOCAL_MACHINE, machine.path + L"\\Counted\\Target"));
  world.expected.MarkLink(Tree::Machine, machine.treePath + L"\\Counted\\Link");
  FILETIME after;
  GetSystemTimeAsFileTime(&after);

  engine::LiveRegistry live;
  // Everything as written: NUL and line breaks in names, the link as a key
  // with nothing in it, the 32-bit key only under Wow6432Node.
  for (const Area& area : {machine, user, wow32})
    EXPECT_EQ(Dump(live, area.tree, area.treePath, kLimit), Dump(world.expected, area.tree, area.treePath, kLimit));
  // The same keys as Wine's own export shows them.
  TempFolder tmp;
  const std::vector<std::pair<Tree, std::wstring>> exported{
      {Tree::Machine, machine.treePath + L"\\Carried"}, {Tree::Users, user.treePath + L"\\Carried"},
      {Tree::Machine, wow32.treePath}};
  for (const auto& [tree, path] : exported) {
    auto oracle = Exported((tree == Tree::Machine ? L"HKEY_LOCAL_MACHINE\\" : L"HKEY_USERS\\") + path, tmp);
    EXPECT_EQ(Dump(live, tree, path, kLimit), Dump(oracle, tree, path, kLimit));
  }

  // A link is never passed through; names match in any letter case, and
  // empty names in a path are dropped, as in every source.
  const std::wstring link = machine.treePath + L"\\Counted\\Link";
  EXPECT_FALSE(live.KeyExists(Tree::Machine, link + L"\\TargetSub"));
  EXPECT_FALSE(live.ReadValue(Tree::Machine, link, L"inTarget", kLimit));
  EXPECT_TRUE(live.ReadValue(Tree::Machine, L"\\" + Upper(machine.treePath) + L"\\\\Carried\\", L"DWORD", kLimit));
  const auto huge = live.ReadValue(Tree::Machine, machine.treePath + L"\\Carried", L"huge", engine::kMaxReadValueBytes);
  ASSERT_TRUE(huge);
  EXPECT_TRUE(!huge->tooLarge && huge->size == 70000 && huge->bytes.size() == 70000);

  const auto written = live.LastWriteTime(Tree::Users, user.treePath + L"\\Carried");
  ASSERT_TRUE(written);
  const auto time = [](FILETIME t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  EXPECT_TRUE(*written >= time(before) && *written <= time(after)) << *written;
  EXPECT_FALSE(live.LastWriteTime(Tree::Users, user.treePath + L"\\Missing"));

  // A listing's times are each key's own; two names below a key already
  // open are not reached through a link either.
  engine::LiveRegistry fresh;
  const std::wstring countedPath = machine.treePath + L"\\Counted";
  std::vector<std::pair<std::wstring, std::optional<std::uint64_t>>> listed, read;
  for (const auto& key : fresh.SubKeysWithTimes(Tree::Machine, countedPath)) listed.emplace_back(key.name, key.lastWrite);
  for (const auto& name : live.SubKeyNames(Tree::Machine, countedPath))
    read.emplace_back(name, live.LastWriteTime(Tree::Machine, countedPath + L"\\" + name));
  EXPECT_EQ(listed, read);
  EXPECT_EQ(read.size(), 4u);
  EXPECT_TRUE(fresh.KeyExists(Tree::Machine, countedPath + L"\\Target\\TargetSub"));
  EXPECT_FALSE(fresh.KeyExists(Tree::Machine, countedPath + L"\\Link\\TargetSub"));
}
