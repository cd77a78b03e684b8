// The registry export against names and keys as adware writes them: every
// character in a name, symbolic links. (NUL names, the deep chain and the
// huge value in the browser's keys: HostileCorpus.)
#include <gtest/gtest.h>
#include <windows.h>

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

// A key left out for that reason, named by the end of its path.
bool Omitted(const std::vector<RegOmission>& omitted, RegOmissionReason reason, const std::wstring& keyEnd) {
  return std::any_of(omitted.begin(), omitted.end(), [&](const RegOmission& o) {
    const bool keyMatches = o.key.size() >= keyEnd.size() && o.key.compare(o.key.size() - keyEnd.size(), keyEnd.size(), keyEnd) == 0;
    return o.reason == reason && keyMatches && !o.isValue;
  });
}

// A scratch key whose hostile children go first, without following links.
struct HostileScratch {
  ScratchKey key;
  RegFixture reg;
  explicit HostileScratch(const std::wstring& label) : key(HKEY_CURRENT_USER, label) {}
};

}  // namespace

TEST(HostileRegistryNames, LinksAreNeitherExportedNorWrittenThrough) {
  HostileScratch s(L"links");
  ScratchKey victim(HKEY_CURRENT_USER, L"victim");
  SetString(HKEY_CURRENT_USER, victim.Path(), L"keep", L"victim value");
  SetString(HKEY_CURRENT_USER, victim.Sub(L"child"), L"keep", L"victim child");
  s.reg.Link(HKEY_CURRENT_USER, s.key.Path(), L"toVictim", hostile::KernelPath(HKEY_CURRENT_USER, victim.Path()));
  s.reg.Link(HKEY_CURRENT_USER, s.key.Path(), L"loop", hostile::KernelPath(HKEY_CURRENT_USER, s.key.Path()));
  s.reg.Link(HKEY_CURRENT_USER, s.key.Sub(L"holder"), L"inner", hostile::KernelPath(HKEY_CURRENT_USER, victim.Path()));

  // A tree that is itself a link is not exported. (Links below it are
  // reported and left out: HostileCorpus.TheBackupMergesBackExactlyWhatItDidNotReportLeftOut.)
  CRegistry registry;
  std::vector<RegOmission> omitted;
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
