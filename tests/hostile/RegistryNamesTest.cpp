// The registry reader against names and keys as adware writes them: names
// with NUL and line breaks, symbolic links, a deep chain, a huge value.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <set>

#include "ozcore/CRegistry.h"
#include "ozcore/RegExportText.h"
#include "support/HostileRegistry.h"
#include "support/RegFixture.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const std::wstring kHeader = L"Windows Registry Editor Version 5.00\r\n";

std::set<std::wstring> Names(const CStringDictionary& dict) {
  const auto keys = dict.Keys();
  return {keys.begin(), keys.end()};
}

bool Omitted(const std::vector<RegOmission>& omitted, RegOmissionReason reason, const std::wstring& keyEnd,
             const std::wstring* value = nullptr) {
  return std::any_of(omitted.begin(), omitted.end(), [&](const RegOmission& o) {
    const bool keyMatches = o.key.size() >= keyEnd.size() && o.key.compare(o.key.size() - keyEnd.size(), keyEnd.size(), keyEnd) == 0;
    return o.reason == reason && keyMatches && (value ? o.isValue && o.value == *value : !o.isValue);
  });
}

// A scratch key whose hostile children go first, without following links.
struct HostileScratch {
  ScratchKey key;
  RegFixture reg;
  explicit HostileScratch(const std::wstring& label) : key(HKEY_CURRENT_USER, label) {}
};

}  // namespace

TEST(HostileRegistryNames, ACountedNameNamesExactlyItsOwnKey) {
  HostileScratch s(L"counted");
  const std::wstring nulFirst(L"\0evil", 5), nulInside(L"a\0b", 3);
  hostile::SetString(s.reg.Counted(HKEY_CURRENT_USER, s.key.Path(), nulInside).get(), L"v", L"inside");
  hostile::SetString(s.reg.Counted(HKEY_CURRENT_USER, s.key.Path(), nulFirst).get(), L"v", L"first");
  SetString(HKEY_CURRENT_USER, s.key.Sub(L"a"), L"v", L"plain");
  SetString(HKEY_CURRENT_USER, s.key.Path(), L"v", L"parent");
  const std::wstring valueWithNul(L"x\0y", 3);
  {
    UniqueKey parent;
    RegOpenKeyExW(HKEY_CURRENT_USER, s.key.Path().c_str(), 0, KEY_ALL_ACCESS, parent.put());
    hostile::SetString(parent.get(), valueWithNul, L"nul-named value");
  }

  CRegistry registry;
  EXPECT_EQ(Names(registry.EnumSubKeys(HKEY_CURRENT_USER, s.key.Path())),
            (std::set<std::wstring>{nulFirst, nulInside, L"a"}));
  std::wstring text;
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, s.key.Path() + L"\\" + nulInside, L"v", text));
  EXPECT_EQ(text, L"inside");
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, s.key.Path() + L"\\" + nulFirst, L"v", text));
  EXPECT_EQ(text, L"first");
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, s.key.Path(), valueWithNul, text));
  EXPECT_EQ(text, L"nul-named value");

  // The export neither loops nor writes a name it cannot give back.
  std::vector<RegOmission> omitted;
  const std::wstring exported = registry.ExportKeyText(HKEY_CURRENT_USER, s.key.Path(), false, &omitted);
  EXPECT_NE(exported.find(L"\\a]\r\n\"v\"=\"plain\""), std::wstring::npos);
  EXPECT_EQ(exported.find(L"inside"), std::wstring::npos);
  EXPECT_EQ(exported.find(L"first"), std::wstring::npos);
  EXPECT_EQ(exported.find(L"nul-named"), std::wstring::npos);
  EXPECT_EQ(exported.find(L'\0'), std::wstring::npos);
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::NameNotCarried, L"\\" + nulFirst));
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::NameNotCarried, L"\\" + nulInside));
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::NameNotCarried, s.key.Path(), &valueWithNul));
  EXPECT_EQ(omitted.size(), 3u);

  // Deleting the NUL-named keys takes exactly them: never the parent the
  // cut name would reach, nor the sibling with the same visible text.
  std::wstring reason;
  EXPECT_TRUE(registry.DeleteKey(HKEY_CURRENT_USER, s.key.Path() + L"\\" + nulFirst, reason)) << Narrow(reason);
  EXPECT_TRUE(registry.DeleteKey(HKEY_CURRENT_USER, s.key.Path() + L"\\" + nulInside, reason)) << Narrow(reason);
  EXPECT_EQ(Names(registry.EnumSubKeys(HKEY_CURRENT_USER, s.key.Path())), (std::set<std::wstring>{L"a"}));
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, s.key.Path(), L"v", text));
  EXPECT_EQ(text, L"parent");
  EXPECT_TRUE(registry.DeleteValue(HKEY_CURRENT_USER, s.key.Path(), valueWithNul));
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, s.key.Path(), L"v", text));
  EXPECT_EQ(registry.EnumValueNames(HKEY_CURRENT_USER, s.key.Path()).Count(), 1u);
}

TEST(HostileRegistryNames, LinksAreNeitherExportedNorWrittenThrough) {
  HostileScratch s(L"links");
  ScratchKey victim(HKEY_CURRENT_USER, L"victim");
  SetString(HKEY_CURRENT_USER, victim.Path(), L"keep", L"victim value");
  SetString(HKEY_CURRENT_USER, victim.Sub(L"child"), L"keep", L"victim child");
  s.reg.Link(HKEY_CURRENT_USER, s.key.Path(), L"toVictim", hostile::KernelPath(HKEY_CURRENT_USER, victim.Path()));
  s.reg.Link(HKEY_CURRENT_USER, s.key.Path(), L"loop", hostile::KernelPath(HKEY_CURRENT_USER, s.key.Path()));
  s.reg.Link(HKEY_CURRENT_USER, s.key.Sub(L"holder"), L"inner", hostile::KernelPath(HKEY_CURRENT_USER, victim.Path()));

  CRegistry registry;
  std::vector<RegOmission> omitted;
  const std::wstring exported = registry.ExportKeyText(HKEY_CURRENT_USER, s.key.Path(), false, &omitted);
  EXPECT_EQ(exported.find(L"victim"), std::wstring::npos);
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::Link, L"\\toVictim"));
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::Link, L"\\loop"));
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::Link, L"\\holder\\inner"));
  // A tree that is itself a link is not exported either.
  omitted.clear();
  EXPECT_EQ(registry.ExportKeyText(HKEY_CURRENT_USER, s.key.Sub(L"toVictim"), false, &omitted), L"");
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::Link, L"\\toVictim"));

  // Writes never go through a link: deleting the link removes the link, and
  // deleting a tree that holds one leaves the link's target whole.
  EXPECT_FALSE(registry.DeleteValue(HKEY_CURRENT_USER, s.key.Sub(L"toVictim"), L"keep"));
  std::wstring reason;
  EXPECT_TRUE(registry.DeleteKey(HKEY_CURRENT_USER, s.key.Sub(L"toVictim"), reason)) << Narrow(reason);
  EXPECT_TRUE(registry.DeleteKey(HKEY_CURRENT_USER, s.key.Sub(L"holder"), reason)) << Narrow(reason);
  EXPECT_TRUE(registry.DeleteKey(HKEY_CURRENT_USER, s.key.Sub(L"loop"), reason)) << Narrow(reason);
  EXPECT_EQ(registry.EnumSubKeys(HKEY_CURRENT_USER, s.key.Path()).Count(), 0u);
  std::wstring text;
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, victim.Path(), L"keep", text));
  EXPECT_TRUE(registry.ReadString(HKEY_CURRENT_USER, victim.Sub(L"child"), L"keep", text));
  EXPECT_EQ(text, L"victim child");
}

TEST(HostileRegistryNames, EveryNameTheExportKeepsMergesBackExactly) {
  // Each character in a key name and in a value name; what the export
  // keeps must come back from Wine's importer exactly, and only names the
  // format cannot carry may be left out.
  ScratchKey from(HKEY_CURRENT_USER, L"charsFrom");
  ScratchKey to(HKEY_CURRENT_USER, L"charsTo");
  std::vector<wchar_t> chars;
  // Names compare without regard to case: lower-case letters would name
  // the upper-case ones' keys again.
  for (wchar_t c = 1; c < 0x80; ++c)
    if (c < L'a' || c > L'z') chars.push_back(c);
  for (wchar_t c : {0x85, 0xA0, 0x2028, 0x202E, 0xFEFF, 0xFFFE, 0xD800, 0xDC00}) chars.push_back(c);
  std::set<std::wstring> keyNames, valueNames;
  {
    UniqueKey values = hostile::CreateKey(HKEY_CURRENT_USER, from.Path(), L"values");
    for (wchar_t c : chars) {
      const std::wstring name = std::wstring(L"k") + c + L"k";
      if (c != L'\\') {
        hostile::CreateKey(HKEY_CURRENT_USER, from.Path(), name);
        keyNames.insert(name);
      }
      const std::wstring valueName = std::wstring(L"v") + c + L"v";
      hostile::SetString(values.get(), valueName, L"data");
      valueNames.insert(valueName);
    }
  }
  CRegistry registry;
  std::vector<RegOmission> omitted;
  std::wstring text = registry.ExportKeyText(HKEY_CURRENT_USER, from.Path(), false, &omitted);
  const std::wstring fromLine = L"[HKEY_CURRENT_USER\\" + from.Path(), toLine = L"[HKEY_CURRENT_USER\\" + to.Path();
  for (std::size_t at = text.find(fromLine); at != std::wstring::npos; at = text.find(fromLine, at + toLine.size()))
    text.replace(at, fromLine.size(), toLine);
  TempFolder tmp;
  ASSERT_TRUE(RegImport(kHeader + text, tmp.Path()));

  std::set<std::wstring> expectedKeys{L"values"}, expectedValues;
  for (const auto& name : keyNames)
    if (regtext::CarriesKeyName(name)) expectedKeys.insert(name);
  for (const auto& name : valueNames)
    if (regtext::CarriesValueName(name)) expectedValues.insert(name);
  const auto difference = [](const std::set<std::wstring>& a, const std::set<std::wstring>& b) {
    std::string out;
    for (const auto& name : a)
      if (!b.count(name))
        out += std::to_string(static_cast<unsigned>(name[1])) + " ";
    return out;
  };
  const auto keysBack = Names(registry.EnumSubKeys(HKEY_CURRENT_USER, to.Path()));
  const auto valuesBack = Names(registry.EnumValueNames(HKEY_CURRENT_USER, to.Sub(L"values")));
  EXPECT_EQ(keysBack, expectedKeys) << "lost: " << difference(expectedKeys, keysBack)
                                    << " extra: " << difference(keysBack, expectedKeys);
  EXPECT_EQ(valuesBack, expectedValues) << "lost: " << difference(expectedValues, valuesBack)
                                        << " extra: " << difference(valuesBack, expectedValues);
  EXPECT_EQ(omitted.size(), keyNames.size() + valueNames.size() - expectedKeys.size() + 1 - expectedValues.size());
  for (const auto& name : registry.EnumSubKeys(HKEY_CURRENT_USER, to.Path()).Keys())
    hostile::DeleteTree(HKEY_CURRENT_USER, to.Path(), name);
  for (const auto& name : keyNames) hostile::DeleteTree(HKEY_CURRENT_USER, from.Path(), name);
}

TEST(HostileRegistryNames, DeepChainsAndHugeValuesEndTheExportCleanly) {
  HostileScratch s(L"deep");
  std::wstring path = s.key.Path();
  for (int depth = 0; depth < CRegistry::kMaxKeyDepth + 8; ++depth) path += L"\\d";
  s.reg.Key(HKEY_CURRENT_USER, path);
  std::vector<unsigned char> huge(64u << 20, 0x41);
  const std::wstring huge_name = L"huge", nulName(L"huge\0nul", 8);
  {
    UniqueKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, s.key.Path().c_str(), 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
    for (const std::wstring& name : {huge_name, nulName})
      hostile::SetValue(key.get(), name, REG_SZ, huge.data(), huge.size());
  }
  SetString(HKEY_CURRENT_USER, s.key.Path(), L"small", L"kept");

  CRegistry registry;
  std::vector<RegOmission> omitted;
  const std::wstring exported = registry.ExportKeyText(HKEY_CURRENT_USER, s.key.Path(), false, &omitted);
  EXPECT_NE(exported.find(L"\"small\"=\"kept\""), std::wstring::npos);
  EXPECT_LT(exported.size(), 1000000u);
  EXPECT_TRUE(Omitted(omitted, RegOmissionReason::TooLarge, s.key.Path(), &huge_name));
  EXPECT_TRUE(std::any_of(omitted.begin(), omitted.end(),
                          [](const RegOmission& o) { return o.reason == RegOmissionReason::TooDeep; }));

  // A read asks for the size first and never takes such a value whole: the
  // process holds no more memory after it.
  for (const std::wstring& name : {huge_name, nulName}) {
    PROCESS_MEMORY_COUNTERS before{}, after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    std::wstring text;
    std::uint64_t tooLarge = 0;
    EXPECT_FALSE(registry.ReadString(HKEY_CURRENT_USER, s.key.Path(), name, text, &tooLarge));
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_EQ(tooLarge, huge.size());
    EXPECT_TRUE(text.empty());
    EXPECT_LT(static_cast<std::int64_t>(after.WorkingSetSize) - static_cast<std::int64_t>(before.WorkingSetSize),
              std::int64_t{8} << 20);
  }
}
