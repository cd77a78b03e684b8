// Both registry views of 64-bit Windows: each machine entry is listed in the
// view it is registered in, with the class and file of that view; a user's
// entry takes its class from the native view, else from the 32-bit one.
// (Deleting a record's entry from its own view only: the tables' test.)
//
// The 32-bit view's keys are written under their names in the native view
// (Software\Wow6432Node, Software\Classes\Wow6432Node\CLSID), which is where
// the 32-bit view keeps them, here as on Windows.
#include <gtest/gtest.h>

#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "discovery/AddonWorld.h"
#include "engine/kinds/BhoDiscovery.h"
#include "engine/kinds/ButtonDiscovery.h"
#include "engine/files/FileResolver.h"
#include "engine/kinds/ExplorerBarDiscovery.h"
#include "engine/kinds/MenuExtDiscovery.h"
#include "support/KindEntries.h"
#include "support/KindParams.h"
#include "support/RegFixture.h"
#include "engine/kinds/ToolbarDiscovery.h"
#include "engine/kinds/Listings.h"
#include "engine/text/ProtocolText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const std::wstring kIe64 = L"Software\\Microsoft\\Internet Explorer";
const std::wstring kIe32 = L"Software\\Wow6432Node\\Microsoft\\Internet Explorer";
const std::wstring kClasses64 = L"Software\\Classes\\CLSID\\";
const std::wstring kClasses32 = L"Software\\Classes\\Wow6432Node\\CLSID\\";

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
  RegFixture reg;
  KindEntries entries(reg);
  // Every kind the views keep apart: an entry in both views, with another
  // file in each (listed once per view, native first), and one in the
  // 32-bit view alone.
  for (const std::int32_t id : KindIds()) {
    const auto& kind = discovery::Kind(id);
    if (kind.machineSharedByViews) continue;  // one key for both: below
    SCOPED_TRACE(Narrow(kind.scanName));
    const bool named = id == TableId::kMenuExtensions;
    const std::wstring twin = named ? L"Quill Twin " + NewClsid() : NewClsid();
    entries.Add(id, kMachine, L"Native Twin", f.company, twin);
    entries.Add(id, kMachine32, L"Wow Twin", f.german, twin);
    const KindEntry only = entries.Add(id, kMachine32, L"Wow Only", f.fileOnly, named ? L"Quill Wow " + NewClsid() : L"");
    auto line = [&](const wchar_t* view, const std::wstring& file, const std::wstring& display) {
      const bool hasFile = id != TableId::kSearchProviders;
      return std::wstring(view) + L"|" + (hasFile ? file : L"") + L"|" + display;
    };
    const auto list = kind.list(files);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(Seen(*list, twin), (std::vector<std::wstring>{line(L"64", f.company, named ? twin : L"Native Twin"),
                                                             line(L"32", f.german, named ? twin : L"Wow Twin")}));
    EXPECT_EQ(Seen(*list, only.id), std::vector<std::wstring>{line(L"32", f.fileOnly, named ? only.id : L"Wow Only")});
  }

  // Toolbars: one in both views with one name is numbered over both; a
  // user's entry whose class is 32-bit only; a 32-bit one with a bare
  // system file name; a helper object whose 32-bit file is given in the
  // system folder: both the files of the 32-bit system folder.
  const Wow32SystemFile sysFile(f.fileOnly);
  ASSERT_FALSE(sysFile.Path().empty());
  const std::wstring both = NewClsid(), bothName = L"View Bar " + both.substr(1, 8);
  entries.Add(TableId::kToolbars, kMachine, bothName, f.company, both);
  entries.Add(TableId::kToolbars, kMachine32, bothName, f.german, both);
  const std::wstring me = CurrentUserSidText();
  const KindEntry user32 = entries.Add(TableId::kToolbars, {HKEY_USERS, me + L"\\"}, L"", L"");
  reg.String(HKEY_LOCAL_MACHINE, kClasses32 + user32.id, L"", L"User Wow Bar");
  reg.String(HKEY_LOCAL_MACHINE, kClasses32 + user32.id + L"\\InProcServer32", L"", f.noCompany);
  const KindEntry bare = entries.Add(TableId::kToolbars, kMachine32, L"Bare Bar", sysFile.Name());
  const KindEntry bho = entries.Add(TableId::kHelperObjects, kMachine32, L"Wow Helper", L"");
  reg.String(HKEY_LOCAL_MACHINE, kClasses32 + bho.id + L"\\InProcServer32", L"", L"%SystemRoot%\\System32\\" + sysFile.Name(),
             REG_EXPAND_SZ);

  const auto toolbars = discovery::EnumToolbars(files);
  ASSERT_TRUE(toolbars.has_value());
  EXPECT_EQ(Seen(*toolbars, both), (std::vector<std::wstring>{L"64|" + f.company + L"|" + bothName,
                                                               L"32|" + f.german + L"|" + bothName + L" (2)"}))
      << Dump(Seen(*toolbars, both));
  EXPECT_EQ(Seen(*toolbars, user32.id), std::vector<std::wstring>{L"32|" + f.noCompany + L"|User Wow Bar"});
  EXPECT_EQ(Find(*toolbars, user32.id, 32)->params.Text(discovery::keys::kHive), user32.location);
  const auto bareSeen = Seen(*toolbars, bare.id);
  ASSERT_EQ(bareSeen.size(), 1u);
  EXPECT_EQ(_wcsicmp(bareSeen[0].c_str(), (L"32|" + sysFile.Path() + L"|Bare Bar").c_str()), 0) << Dump(bareSeen);
  EXPECT_EQ(Find(*toolbars, bare.id, 32)->params.Text(discovery::keys::kVersion), L"1.2.3");
  const auto helperSeen = Seen(*discovery::EnumBHOs(files), bho.id);
  ASSERT_EQ(helperSeen.size(), 1u);
  EXPECT_EQ(_wcsicmp(helperSeen[0].c_str(), (L"32|" + sysFile.Path() + L"|Wow Helper").c_str()), 0) << Dump(helperSeen);
  // "view" is the last value, after what the records had before.
  const CResultNode* node = Find(*toolbars, bare.id, 32);
  EXPECT_EQ(node->params.At(node->params.Count())->Key(), discovery::keys::kView);
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
