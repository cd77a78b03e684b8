// Both registry views of 64-bit Windows: each machine entry is listed in the
// view it is registered in, with the class and file of that view; a user's
// entry takes its class from the native view, else from the 32-bit one;
// deleting in a record's view leaves the other view's entry alone.
//
// The 32-bit view's keys are written under their names in the native view
// (Software\Wow6432Node, Software\Classes\Wow6432Node\CLSID), which is where
// the 32-bit view keeps them, here as on Windows.
#include <gtest/gtest.h>

#include "discovery/AddonRecord.h"
#include "discovery/AddonText.h"
#include "discovery/AddonWorld.h"
#include "discovery/BhoDiscovery.h"
#include "discovery/ButtonDiscovery.h"
#include "discovery/FileResolver.h"
#include "discovery/ExplorerBarDiscovery.h"
#include "discovery/MenuExtDiscovery.h"
#include "support/RegFixture.h"
#include "discovery/ToolbarDiscovery.h"
#include "discovery/Listings.h"
#include "discovery/ProtocolText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const std::wstring kIe64 = L"Software\\Microsoft\\Internet Explorer";
const std::wstring kIe32 = L"Software\\Wow6432Node\\Microsoft\\Internet Explorer";
const std::wstring kBhoTail = L"Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kBho64 = L"Software\\" + kBhoTail;
const std::wstring kBho32 = L"Software\\Wow6432Node\\" + kBhoTail;
const std::wstring kClasses64 = L"Software\\Classes\\CLSID\\";
const std::wstring kClasses32 = L"Software\\Classes\\Wow6432Node\\CLSID\\";
const std::wstring kVertical = L"{00021493-0000-0000-C000-000000000046}";

// A record as "view|dLL|display name" for each record with the ID, in order.
std::vector<std::wstring> Seen(const CResultNodes& list, const std::wstring& id) {
  std::vector<std::wstring> out;
  for (std::size_t i = 1; i <= list.Count(); ++i) {
    const CResultNode& node = *list.Item(i);
    if (node.ID != id) continue;
    out.push_back(node.params.Text(discovery::keys::kView) + L"|" + node.params.Text(discovery::keys::kDll) + L"|" +
                  node.params.Text(discovery::keys::kDisplayName));
  }
  return out;
}

std::string Dump(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const auto& l : lines) text += l + L"\n";
  return Narrow(text);
}

const CResultNode* Find(const CResultNodes& list, const std::wstring& id, std::int32_t view) {
  for (std::size_t i = 1; i <= list.Count(); ++i) {
    const CResultNode* node = list.Item(i);
    if (node->ID == id && node->params.Find(discovery::keys::kView)->Number() == view) return node;
  }
  return nullptr;
}


// A file of the test's own in the 32-bit system folder (the prefix's, made
// for the test run), removed again at the end.
class Wow32SystemFile {
 public:
  explicit Wow32SystemFile(const std::wstring& source) {
    wchar_t buf[MAX_PATH] = {};
    if (!GetSystemWow64DirectoryW(buf, MAX_PATH)) return;
    name_ = L"qlmview" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    path_ = std::wstring(buf) + L"\\" + name_;
    if (!CopyFileW(source.c_str(), path_.c_str(), FALSE)) path_.clear();
  }
  ~Wow32SystemFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  const std::wstring& Name() const { return name_; }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring name_, path_;
};

}  // namespace

TEST(DiscoveryViews, EachEntryListedInItsOwnViewWithThatViewsClass) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  FileResolver files(true);
  const FixtureFiles f;
  const Wow32SystemFile sysFile(f.fileOnly);
  ASSERT_FALSE(sysFile.Path().empty());
  const std::wstring me = CurrentUserSidText();
  ASSERT_FALSE(me.empty());
  RegFixture reg;
  auto cls = [&](const std::wstring& classes, const std::wstring& id, const std::wstring& name,
                 const std::wstring& file, DWORD type = REG_SZ) {
    reg.String(HKEY_LOCAL_MACHINE, classes + id, L"", name);
    reg.String(HKEY_LOCAL_MACHINE, classes + id + L"\\InProcServer32", L"", file, type);
  };

  // Toolbars: one in each view only, one in both with different files, a
  // user's entry whose class is 32-bit only, a 32-bit one with a bare
  // system file name.
  const std::wstring only64 = NewClsid(), only32 = NewClsid(), both = NewClsid(), user32 = NewClsid(),
                     bare = NewClsid();
  const std::wstring bothName = L"View Bar " + both.substr(1, 8);
  reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\Toolbar", only64, L"");
  cls(kClasses64, only64, L"Native Bar", f.company);
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\Toolbar", only32, L"");
  cls(kClasses32, only32, L"Wow Bar", f.german);
  reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\Toolbar", both, L"");
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\Toolbar", both, L"");
  cls(kClasses64, both, bothName, f.company);
  cls(kClasses32, both, bothName, f.german);
  reg.String(HKEY_USERS, me + L"\\" + kIe64 + L"\\Toolbar\\WebBrowser", user32, L"");
  cls(kClasses32, user32, L"User Wow Bar", f.noCompany);
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\Toolbar", bare, L"");
  cls(kClasses32, bare, L"Bare Bar", sysFile.Name());

  // A helper object in both views, the 32-bit one's file given as a path
  // in the system folder; an explorer bar whose class is 32-bit only.
  const std::wstring bho = NewClsid(), bar = discovery::text::AsciiUpper(NewClsid());
  reg.String(HKEY_LOCAL_MACHINE, kBho64 + L"\\" + bho, L"", L"Native Helper");
  reg.String(HKEY_LOCAL_MACHINE, kBho32 + L"\\" + bho, L"", L"Wow Helper");
  cls(kClasses64, bho, L"unused", f.company);
  cls(kClasses32, bho, L"unused", L"%SystemRoot%\\System32\\" + sysFile.Name(), REG_EXPAND_SZ);
  cls(kClasses32, bar, L"Wow Explorer Bar", f.german);
  reg.Key(HKEY_LOCAL_MACHINE, kClasses32 + bar + L"\\Implemented Categories\\" + kVertical);

  // A 32-bit menu item and a 32-bit button whose class is in that view.
  const std::wstring menu = L"Wow Item " + NewClsid(), button = NewClsid(), buttonClass = NewClsid();
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\MenuExt\\" + menu, L"", L"file://" + f.company);
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\Extensions\\" + button, L"ButtonText", L"Wow Button");
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\Extensions\\" + button, L"ClsidExtension", buttonClass);
  cls(kClasses32, buttonClass, L"", f.fileOnly);

  const auto toolbars = discovery::EnumToolbars(files);
  ASSERT_TRUE(toolbars.has_value());
  EXPECT_EQ(Seen(*toolbars, only64), std::vector<std::wstring>{L"64|" + f.company + L"|Native Bar"});
  EXPECT_EQ(Seen(*toolbars, only32), std::vector<std::wstring>{L"32|" + f.german + L"|Wow Bar"});
  // Once per view, native first; the name numbering runs over both.
  EXPECT_EQ(Seen(*toolbars, both), (std::vector<std::wstring>{L"64|" + f.company + L"|" + bothName,
                                                               L"32|" + f.german + L"|" + bothName + L" (2)"}))
      << Dump(Seen(*toolbars, both));
  EXPECT_EQ(Seen(*toolbars, user32), std::vector<std::wstring>{L"32|" + f.noCompany + L"|User Wow Bar"});
  const CResultNode* userNode = Find(*toolbars, user32, 32);
  ASSERT_NE(userNode, nullptr);
  EXPECT_EQ(userNode->params.Text(discovery::keys::kHive), me + L"\\" + kIe64 + L"\\Toolbar\\WebBrowser");
  // The bare name is the file in the 32-bit system folder, with its details.
  const auto bareSeen = Seen(*toolbars, bare);
  ASSERT_EQ(bareSeen.size(), 1u);
  EXPECT_EQ(_wcsicmp(bareSeen[0].c_str(), (L"32|" + sysFile.Path() + L"|Bare Bar").c_str()), 0) << Dump(bareSeen);
  EXPECT_EQ(Find(*toolbars, bare, 32)->params.Text(discovery::keys::kVersion), L"1.2.3");

  const auto helpers = discovery::EnumBHOs(files);
  ASSERT_TRUE(helpers.has_value());
  const auto helperSeen = Seen(*helpers, bho);
  ASSERT_EQ(helperSeen.size(), 2u) << Dump(helperSeen);
  EXPECT_EQ(helperSeen[0], L"64|" + f.company + L"|Native Helper");
  EXPECT_EQ(_wcsicmp(helperSeen[1].c_str(), (L"32|" + sysFile.Path() + L"|Wow Helper").c_str()), 0) << Dump(helperSeen);

  const auto bars = discovery::EnumObjects(files);
  ASSERT_TRUE(bars.has_value());
  EXPECT_EQ(Seen(*bars, bar), std::vector<std::wstring>{L"32|" + f.german + L"|Wow Explorer Bar"});

  const auto menus = discovery::EnumContextMenus(files);
  ASSERT_TRUE(menus.has_value());
  EXPECT_EQ(Seen(*menus, menu), std::vector<std::wstring>{L"32|" + f.company + L"|" + menu});

  const auto buttons = discovery::EnumToolbarButtons(files);
  ASSERT_TRUE(buttons.has_value());
  EXPECT_EQ(Seen(*buttons, button), std::vector<std::wstring>{L"32|" + f.fileOnly + L"|Wow Button"});

  // "view" is the last value, after what the records had before.
  const CResultNode* node = Find(*toolbars, only32, 32);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->params.At(node->params.Count())->Key(), discovery::keys::kView);
}

TEST(DiscoveryViews, DeletingInTheRecordsViewLeavesTheOtherView) {
  ASSERT_TRUE(CRegistry::HasWow32View());
  const FixtureFiles f;
  RegFixture reg;
  const std::wstring tb = NewClsid(), bho = NewClsid(), bar = discovery::text::AsciiUpper(NewClsid());
  for (const auto* classes : {&kClasses64, &kClasses32}) {
    reg.String(HKEY_LOCAL_MACHINE, *classes + tb + L"\\InProcServer32", L"", f.company);
    reg.String(HKEY_LOCAL_MACHINE, *classes + bho + L"\\InProcServer32", L"", f.company);
    reg.String(HKEY_LOCAL_MACHINE, *classes + bar + L"\\InProcServer32", L"", f.company);
    reg.Key(HKEY_LOCAL_MACHINE, *classes + bar + L"\\Implemented Categories\\" + kVertical);
  }
  reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\Toolbar", tb, L"");
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\Toolbar", tb, L"");
  reg.String(HKEY_LOCAL_MACHINE, kBho64 + L"\\" + bho, L"", L"Helper");
  reg.String(HKEY_LOCAL_MACHINE, kBho32 + L"\\" + bho, L"", L"Helper");

  auto present = [](const std::wstring& path, const std::wstring& value = {}) {
    CRegistry native(RegView::Native);
    if (value.empty()) return native.KeyExists(HKEY_LOCAL_MACHINE, path);
    return native.EnumValueNames(HKEY_LOCAL_MACHINE, path).Exists(value);
  };
  // Each view's record deletes what the tables delete, through a registry
  // of the record's view, and only that view's entry goes.
  FileResolver files(true);
  for (const std::int32_t view : {32, 64}) {
    SCOPED_TRACE(view);
    const std::wstring ie = view == 32 ? kIe32 : kIe64, other = view == 32 ? kIe64 : kIe32;
    const std::wstring bhoPath = view == 32 ? kBho32 : kBho64, bhoOther = view == 32 ? kBho64 : kBho32;
    const std::wstring classes = view == 32 ? kClasses32 : kClasses64, classesOther = view == 32 ? kClasses64 : kClasses32;

    const auto toolbars = discovery::EnumToolbars(files);
    const auto helpers = discovery::EnumBHOs(files);
    const auto bars = discovery::EnumObjects(files);
    ASSERT_TRUE(toolbars && helpers && bars);
    const CResultNode* tbNode = Find(*toolbars, tb, view);
    const CResultNode* bhoNode = Find(*helpers, bho, view);
    const CResultNode* barNode = Find(*bars, bar, view);
    ASSERT_TRUE(tbNode && bhoNode && barNode);

    CRegistry registry(discovery::ViewOfRecord(*tbNode));
    EXPECT_TRUE(registry.DeleteValue(discovery::RootFromNumber(tbNode->params.Find(L"key")->Number()),
                                     tbNode->params.Text(L"hive"), tb));
    std::wstring why;
    CRegistry bhoRegistry(discovery::ViewOfRecord(*bhoNode));
    EXPECT_TRUE(bhoRegistry.DeleteKey(HKEY_LOCAL_MACHINE, std::wstring(discovery::Kind(TableId::kHelperObjects).machinePath) + L"\\" + bho, why));
    CRegistry barRegistry(discovery::ViewOfRecord(*barNode));
    EXPECT_TRUE(
        barRegistry.DeleteKey(HKEY_CLASSES_ROOT, L"CLSID\\" + bar + L"\\Implemented Categories\\" + kVertical, why));

    EXPECT_FALSE(present(ie + L"\\Toolbar", tb));
    EXPECT_FALSE(present(bhoPath + L"\\" + bho));
    EXPECT_FALSE(present(classes + bar + L"\\Implemented Categories\\" + kVertical));
    if (view == 32) {
      EXPECT_TRUE(present(other + L"\\Toolbar", tb));
      EXPECT_TRUE(present(bhoOther + L"\\" + bho));
      EXPECT_TRUE(present(classesOther + bar + L"\\Implemented Categories\\" + kVertical));
    }
  }
}

// The newer kinds: hooks, controls and providers of the 32-bit machine keys
// are listed in that view with its classes; a user's hook and a protocol
// handler (whose lists both views share) take a 32-bit-only class from that
// view; the system's own handlers are listed only when asked for, marked.
TEST(DiscoveryViews, NewerKindsListEachViewsEntriesAndClasses) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  FileResolver files(true);
  const FixtureFiles f;
  const std::wstring me = CurrentUserSidText();
  RegFixture reg;
  auto cls = [&](const std::wstring& classes, const std::wstring& id, const std::wstring& name,
                 const std::wstring& file) {
    reg.String(HKEY_LOCAL_MACHINE, classes + id, L"", name);
    reg.String(HKEY_LOCAL_MACHINE, classes + id + L"\\InProcServer32", L"", file);
  };
  const std::wstring units64 = L"Software\\Microsoft\\Code Store Database\\Distribution Units";
  const std::wstring units32 = L"Software\\Wow6432Node\\Microsoft\\Code Store Database\\Distribution Units";

  const std::wstring hook = NewClsid(), userHook = NewClsid(), control = NewClsid(), provider = NewClsid();
  reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\UrlSearchHooks", hook, L"");
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\UrlSearchHooks", hook, L"");
  cls(kClasses64, hook, L"Native Hook", f.company);
  cls(kClasses32, hook, L"Wow Hook", f.german);
  reg.String(HKEY_USERS, me + L"\\" + kIe64 + L"\\UrlSearchHooks", userHook, L"");
  cls(kClasses32, userHook, L"User Wow Hook", f.noCompany);
  reg.String(HKEY_LOCAL_MACHINE, units32 + L"\\" + control, L"", L"Wow Unit");
  cls(kClasses32, control, L"", f.fileOnly);
  reg.String(HKEY_LOCAL_MACHINE, kIe32 + L"\\SearchScopes\\" + provider, L"DisplayName", L"Wow Search");

  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring handlers = L"Software\\Classes\\PROTOCOLS\\Handler\\";
  const std::wstring scheme = L"quill-wow-" + pid, system = L"quill-sys-" + pid;
  const std::wstring schemeClass = NewClsid(), systemClass = NewClsid();
  reg.String(HKEY_LOCAL_MACHINE, handlers + scheme, L"CLSID", schemeClass);
  cls(kClasses32, schemeClass, L"", f.german);
  reg.String(HKEY_LOCAL_MACHINE, handlers + system, L"CLSID", systemClass);
  cls(kClasses64, systemClass, L"", f.systemFile);

  const auto hooks = discovery::EnumUrlSearchHooks(files);
  ASSERT_TRUE(hooks.has_value());
  EXPECT_EQ(Seen(*hooks, hook), (std::vector<std::wstring>{L"64|" + f.company + L"|Native Hook",
                                                            L"32|" + f.german + L"|Wow Hook"}));
  EXPECT_EQ(Seen(*hooks, userHook), std::vector<std::wstring>{L"32|" + f.noCompany + L"|User Wow Hook"});
  const auto controls = discovery::EnumActiveXControls(files);
  ASSERT_TRUE(controls.has_value());
  EXPECT_EQ(Seen(*controls, control), std::vector<std::wstring>{L"32|" + f.fileOnly + L"|Wow Unit"});
  const auto providers = discovery::EnumSearchProviders(files);
  ASSERT_TRUE(providers.has_value());
  EXPECT_EQ(Seen(*providers, provider), std::vector<std::wstring>{L"32||Wow Search"});

  // One key for both views: listed once, with the class of the view that has it.
  const auto protocols = discovery::EnumProtocols(files);
  ASSERT_TRUE(protocols.has_value());
  EXPECT_EQ(Seen(*protocols, scheme), std::vector<std::wstring>{L"32|" + f.german + L"|" + scheme});
  EXPECT_TRUE(Seen(*protocols, system).empty());
  const auto all = discovery::EnumAllProtocols(files);
  ASSERT_TRUE(all.has_value());
  EXPECT_EQ(Seen(*all, scheme), std::vector<std::wstring>{L"32|" + f.german + L"|" + scheme});
  EXPECT_EQ(Seen(*all, system), std::vector<std::wstring>{L"64|" + f.systemFile + L"|" + system});
  const CResultNode* marked = Find(*all, system, 64);
  ASSERT_NE(marked, nullptr);
  EXPECT_EQ(marked->params.Find(discovery::keys::kSystem)->Number(), 1);
  EXPECT_EQ(Find(*all, scheme, 32)->params.Find(discovery::keys::kSystem), nullptr);
  // The browser's own schemes are in the full list, and only there.
  std::size_t builtIn = 0;
  for (std::size_t i = 1; i <= all->Count(); ++i) {
    const CResultNode& node = *all->Item(i);
    if (!discovery::text::IsBuiltInScheme(node.ID) || node.params.Text(discovery::keys::kProtocolList) != L"Handler")
      continue;
    ++builtIn;
    const CParam* mark = node.params.Find(discovery::keys::kSystem);
    EXPECT_TRUE(mark && mark->Number() == 1) << Narrow(node.ID);
  }
  for (std::size_t i = 1; i <= protocols->Count(); ++i) {
    const CResultNode& node = *protocols->Item(i);
    EXPECT_EQ(node.params.Find(discovery::keys::kSystem), nullptr) << Narrow(node.ID);
    EXPECT_FALSE(discovery::text::IsBuiltInScheme(node.ID) &&
                 node.params.Text(discovery::keys::kProtocolList) == L"Handler")
        << Narrow(node.ID);
  }
  EXPECT_GT(builtIn, 0u) << "the prefix registers the browser's own schemes";
}
