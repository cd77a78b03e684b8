// Broken and hostile registry data: wrong value types, very long names and
// values, names of only "&", entries removed between listing and reading.
// Every filler lists what it can and never fails.
#include <gtest/gtest.h>

#include "core/Strings.h"
#include "discovery/AddonWorld.h"
#include "engine/kinds/BhoDiscovery.h"
#include "engine/kinds/ButtonDiscovery.h"
#include "engine/files/FileResolver.h"
#include "engine/text/UniqueNamer.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/ExplorerBarDiscovery.h"
#include "engine/kinds/MenuExtDiscovery.h"
#include "support/RegFixture.h"
#include "engine/kinds/ToolbarDiscovery.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const std::wstring kClasses = L"Software\\Classes\\CLSID\\";

CStringDictionary Names(const std::vector<std::wstring>& names) {
  CStringDictionary d;
  for (const auto& n : names) d.Add(n, n);
  return d;
}

void SetDwordValue(HKEY root, const std::wstring& path, const std::wstring& name) { SetDword(root, path, name, 7); }

}  // namespace

TEST(DiscoveryHostile, ClassesWithWrongTypesAndHugeNames) {
  RegFixture reg;
  const std::wstring wrongTypes = NewClsid(), huge = NewClsid(), onlyAmp = NewClsid(), removed = NewClsid();
  // Name and server file stored as a number and as bytes.
  reg.Key(HKEY_LOCAL_MACHINE, kClasses + wrongTypes + L"\\InProcServer32");
  SetDwordValue(HKEY_LOCAL_MACHINE, kClasses + wrongTypes, L"");
  const unsigned char bytes[] = {'C', 0, ':', 0};
  SetValue(HKEY_LOCAL_MACHINE, kClasses + wrongTypes + L"\\InProcServer32", L"", REG_BINARY, bytes, sizeof(bytes));
  // A name of the longest size a value takes in practice, with accelerators.
  const std::wstring hugeName = L"&" + std::wstring(16000, L'N') + L"&";
  reg.String(HKEY_LOCAL_MACHINE, kClasses + huge, L"", hugeName);
  reg.String(HKEY_LOCAL_MACHINE, kClasses + huge + L"\\InProcServer32", L"", std::wstring(16000, L'f') + L".dll");
  reg.String(HKEY_LOCAL_MACHINE, kClasses + onlyAmp, L"", L"&&&&");

  FileResolver files(true);
  discovery::DiscoveryRun run(files);
  CResultNodes list;
  UniqueNamer namer;
  discovery::FillTBInfo(run, namer, Names({wrongTypes, huge, onlyAmp, removed}), list, HKEY_LOCAL_MACHINE,
                        L"Software\\Nowhere", L"Everyone");
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.Item(1)->params.Text(L"displayName"), LoadStr(IDS_NONAME));
  EXPECT_EQ(list.Item(1)->params.Text(L"dLL"), L"");
  EXPECT_EQ(list.Item(2)->params.Text(L"displayName"), std::wstring(16000, L'N'));
  EXPECT_EQ(list.Item(2)->params.Text(L"dLL"), std::wstring(16000, L'f') + L".dll");  // not found: as written
  EXPECT_EQ(list.Item(2)->params.Text(L"version"), L"");
  EXPECT_EQ(list.Item(3)->params.Text(L"displayName"), LoadStr(IDS_NONAME));
  EXPECT_EQ(list.Item(3)->params.Text(L"originalName"), L"");
  EXPECT_EQ(list.Item(4)->ID, removed);
  EXPECT_EQ(list.Item(4)->params.Text(L"displayName"), LoadStr(IDS_NONAME));

  // Explorer bars and helper objects over the same classes.
  CResultNodes bars;
  reg.Key(HKEY_LOCAL_MACHINE, kClasses + wrongTypes + L"\\Instance\\InitPropertyBag");
  SetDwordValue(HKEY_LOCAL_MACHINE, kClasses + wrongTypes + L"\\Instance\\InitPropertyBag", L"Url");
  discovery::FillObjectInfo(run, Names({wrongTypes, huge, onlyAmp, removed}), bars, L"{cat}");
  ASSERT_EQ(bars.Count(), 4u);
  EXPECT_EQ(bars.Item(1)->params.Text(L"Name"), LoadStr(IDS_NONAME));
  EXPECT_EQ(bars.Item(2)->params.Text(L"Name"), std::wstring(16000, L'N'));
  EXPECT_EQ(bars.Item(3)->params.Text(L"Name"), L"");  // only "&": no fallback after cleaning
  EXPECT_EQ(bars.Item(4)->params.Text(L"Name"), LoadStr(IDS_NONAME));
}

TEST(DiscoveryHostile, EntriesWithWrongTypesLongNamesAndRemovedKeys) {
  ScratchKey k(HKEY_CURRENT_USER, L"hostile");
  const std::wstring path = k.Path();
  const std::wstring typed = NewClsid(), longTexts = NewClsid(), gone = NewClsid();
  const wchar_t multi[] = L"one\0two\0";
  SetValue(HKEY_CURRENT_USER, path + L"\\" + typed, L"buttontext", REG_MULTI_SZ, multi, sizeof(multi));
  SetDword(HKEY_CURRENT_USER, path + L"\\" + typed, L"menutext", 1);
  SetDword(HKEY_CURRENT_USER, path + L"\\" + typed, L"script", 1);
  SetString(HKEY_CURRENT_USER, path + L"\\" + typed, L"exec", L"");
  const std::wstring longText(16000, L'&');
  SetString(HKEY_CURRENT_USER, path + L"\\" + longTexts, L"buttontext", longText + L"B");
  SetString(HKEY_CURRENT_USER, path + L"\\" + longTexts, L"menutext", L"@" + std::wstring(5000, L'x') + L",-1");
  SetString(HKEY_CURRENT_USER, path + L"\\" + longTexts, L"ClsidExtension", std::wstring(300, L'{'));
  // The longest key name the registry takes, and one of "&" only.
  const std::wstring longName = L"&" + std::wstring(254, L'M');
  SetDword(HKEY_CURRENT_USER, path + L"\\" + longName, L"", 5);
  CreateKey(HKEY_CURRENT_USER, path + L"\\&&&");
  SetString(HKEY_CURRENT_USER, path + L"\\&&&", L"", L"res://");

  FileResolver files(true);
  discovery::DiscoveryRun run(files);
  CResultNodes buttons;
  discovery::FillTBButtonInfo(run, HKEY_CURRENT_USER, path, L"scope", Names({typed, longTexts, gone, longName}),
                              buttons);
  ASSERT_EQ(buttons.Count(), 3u);  // the long name is no CLSID
  EXPECT_EQ(buttons.Item(1)->params.Text(L"displayName"), LoadStr(IDS_NONAME));
  EXPECT_FALSE(buttons.Item(1)->params.IsInCollection(L"version"));
  EXPECT_EQ(buttons.Item(2)->params.Text(L"buttontext"), L"B");
  EXPECT_EQ(buttons.Item(2)->params.Text(L"menutext"), L"@" + std::wstring(5000, L'x') + L",-1");
  EXPECT_EQ(buttons.Item(2)->params.Text(L"dLL"), L"");
  EXPECT_EQ(buttons.Item(3)->ID, gone);
  EXPECT_EQ(buttons.Item(3)->params.Text(L"displayName"), LoadStr(IDS_NONAME));

  // Context-menu entries listed, then removed before they are read.
  CResultNodes menus;
  CRegistry registry;
  const CStringDictionary names = registry.EnumSubKeys(HKEY_CURRENT_USER, path);
  ASSERT_EQ(names.Count(), 4u);
  DeleteTree(HKEY_CURRENT_USER, path + L"\\" + longTexts);
  discovery::FillContextMenuInfo(run, HKEY_CURRENT_USER, path, L"scope", names, menus);
  ASSERT_EQ(menus.Count(), 4u);
  const CResultNode* amp = Find(menus, L"&&&");
  ASSERT_NE(amp, nullptr);
  EXPECT_EQ(amp->params.Text(L"displayName"), L"");
  EXPECT_EQ(amp->params.Text(L"dLL"), L"");
  const CResultNode* longEntry = Find(menus, longName);
  ASSERT_NE(longEntry, nullptr);
  EXPECT_EQ(longEntry->params.Text(L"name"), std::wstring(254, L'M'));
  EXPECT_EQ(longEntry->params.Text(L"dLL"), L"");  // a number is no address
  const CResultNode* removed = Find(menus, longTexts);
  ASSERT_NE(removed, nullptr);
  EXPECT_EQ(removed->params.Text(L"dLL"), L"");

  // Helper objects whose entries are gone.
  CResultNodes helpers;
  discovery::FillBHOInfo(run, Names({NewClsid(), L"short"}), helpers, HKEY_LOCAL_MACHINE);
  ASSERT_EQ(helpers.Count(), 1u);
  EXPECT_EQ(helpers.Item(1)->params.Text(L"displayName"), LoadStr(IDS_NONAME));
}
