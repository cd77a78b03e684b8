// Registry file strings that name network shares and devices: no listing
// routine hands them to the file system, and the records keep them as
// written with a note; 32-bit entries read their own environment.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/files/FileResolver.h"
#include "engine/files/FileGate.h"
#include "engine/files/PathKind.h"
#include "support/RegFixture.h"
#include "ozcore/CRegistry.h"
#include "support/LiveList.h"
#include "support/TestSupport.h"

using namespace qlmtest;
using discovery::keys::kDll;
using discovery::keys::kFileNote;

namespace {

const std::wstring kIe64 = L"Software\\Microsoft\\Internet Explorer";
const std::wstring kIe32 = L"Software\\Wow6432Node\\Microsoft\\Internet Explorer";
const std::wstring kBho64 = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kBho32 =
    L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kClasses64 = L"Software\\Classes\\CLSID\\";
const std::wstring kClasses32 = L"Software\\Classes\\Wow6432Node\\CLSID\\";
const std::wstring kVertical = L"{00021493-0000-0000-C000-000000000046}";
const std::wstring kNetworkNote = LoadStr(IDS_NETWORK_PATH_NOT_OPENED);
const std::wstring kDeviceNote = LoadStr(IDS_DEVICE_PATH_NOT_OPENED);


// The fixture files the entries name.
struct FixtureFiles {
  std::wstring company = FixtureFolder() + L"\\fx_company.dll";
  std::wstring german = FixtureFolder() + L"\\fx_german.dll";
  std::wstring fileOnly = FixtureFolder() + L"\\fx_fileonly.dll";
};

// The first record with that ID (and that view; 0: either); null if none.
const CResultNode* Find(const CResultNodes& list, const std::wstring& id, std::int32_t view = 0) {
  for (std::size_t i = 1; i <= list.Count(); ++i) {
    const CResultNode* node = list.Item(i);
    const CParam* v = node->params.Find(L"view");
    if (node->ID == id && (view == 0 || (v && v->Number() == view))) return node;
  }
  return nullptr;
}

std::vector<std::wstring> Keys(const CResultNode& node) {
  std::vector<std::wstring> keys;
  for (std::size_t i = 1; i <= node.params.Count(); ++i) keys.push_back(node.params.At(i)->Key());
  return keys;
}

// The note sits right after "version", before "view".
void ExpectNoteInPlace(const CResultNode& node, const std::wstring& note) {
  EXPECT_EQ(node.params.Text(kFileNote), note) << Narrow(node.ID);
  EXPECT_EQ(node.params.Text(discovery::keys::kVersion), L"") << Narrow(node.ID);
  const auto keys = Keys(node);
  const auto version = std::find(keys.begin(), keys.end(), discovery::keys::kVersion);
  ASSERT_GE(std::distance(version, keys.end()), 3) << Narrow(node.ID);
  EXPECT_EQ(version[1], kFileNote) << Narrow(node.ID);
  EXPECT_EQ(version[2], discovery::keys::kView) << Narrow(node.ID);
}

// A folder made for the test (with parents missing before), removed at the end.
class MadeFolder {
 public:
  explicit MadeFolder(const std::wstring& path) : path_(path) { CreateDirectoryW(path.c_str(), nullptr); }
  ~MadeFolder() {
    for (const auto& f : files_) DeleteFileW(f.c_str());
    RemoveDirectoryW(path_.c_str());
  }
  std::wstring Copy(const std::wstring& source, const std::wstring& name) {
    const std::wstring target = path_ + L"\\" + name;
    if (CopyFileW(source.c_str(), target.c_str(), FALSE)) files_.push_back(target);
    return target;
  }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

std::wstring Variable(const wchar_t* name) {
  wchar_t buf[1024] = {};
  const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

TEST(DiscoveryPaths, NetworkAndDevicePathsAreNeverOpened) {
  FileResolver files(true);
  const FixtureFiles f;
  SetEnvironmentVariableW(L"QLM_NET_SHARE", L"\\\\qlmhost\\share");
  struct Form {
    std::wstring raw;        // the file string as the registry holds it
    std::wstring buttonDll;  // "dLL" of a button whose script it is
    std::wstring menuDll;    // "dLL" of a context-menu item whose address it is
    std::wstring note;
  };
  const std::vector<Form> forms = {
      {L"\\\\qlmhost\\share\\x.dll", L"\\\\qlmhost\\share\\x.dll", L"\\\\qlmhost\\share\\x.dll", kNetworkNote},
      {L"\\??\\UNC\\qlmhost\\s\\x.dll", L"\\??\\UNC\\qlmhost\\s\\x.dll", L"\\??\\UNC\\qlmhost\\s\\x.dll", kNetworkNote},
      {L"\\\\?\\UNC\\qlmhost\\s\\x.dll", L"\\\\?\\UNC\\qlmhost\\s\\x.dll", L"\\\\?\\UNC\\qlmhost\\s\\x.dll",
       kNetworkNote},
      {L"\"//qlmhost/s/x.dll\" /embedding", L"\"//qlmhost/s/x.dll\" /embedding", L"\"//qlmhost/s/x.dll\" /embedding",
       kNetworkNote},
      {L"%QLM_NET_SHARE%\\x.dll", L"%QLM_NET_SHARE%\\x.dll", L"%QLM_NET_SHARE%\\x.dll", kNetworkNote},
      {L"res://\\\\qlmhost\\x.dll/page.htm", L"\\\\qlmhost\\x.dll", L"\\\\qlmhost\\x.dll", kNetworkNote},
      {L"file://\\\\qlmhost\\s\\x.htm", L"file://\\\\qlmhost\\s\\x.htm", L"\\\\qlmhost\\s\\x.htm", kNetworkNote},
      {L"\\\\.\\pipe\\qlmpipe", L"\\\\.\\pipe\\qlmpipe", L"\\\\.\\pipe\\qlmpipe", kDeviceNote},
      {L"C:\\qlm\\NUL.dll", L"C:\\qlm\\NUL.dll", L"C:\\qlm\\NUL.dll", kDeviceNote},
  };
  RegFixture reg;
  struct Ids {
    std::wstring toolbar, button, menu, bar, bho;
  };
  std::vector<Ids> ids;
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const auto& raw = forms[i].raw;
    Ids id{NewClsid(), NewClsid(), L"Qlm Path Item " + NewClsid(), NewClsid(), NewClsid()};
    reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\Toolbar", id.toolbar, L"");
    reg.String(HKEY_LOCAL_MACHINE, kClasses64 + id.toolbar + L"\\InProcServer32", L"", raw);
    const std::wstring button = kIe64 + L"\\Extensions\\" + id.button;
    reg.String(HKEY_LOCAL_MACHINE, button, L"buttontext", L"@\\\\qlmhost\\s\\x.dll,-101");
    reg.String(HKEY_LOCAL_MACHINE, button, L"menutext", L"@%QLM_NET_SHARE%\\x.dll,-102");
    reg.String(HKEY_LOCAL_MACHINE, button, L"script", raw);
    reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\MenuExt\\" + id.menu, L"", raw);
    reg.String(HKEY_LOCAL_MACHINE, kClasses64 + id.bar, L"", L"Qlm Path Bar");
    reg.String(HKEY_LOCAL_MACHINE, kClasses64 + id.bar + L"\\InProcServer32", L"", raw);
    reg.Key(HKEY_LOCAL_MACHINE, kClasses64 + id.bar + L"\\Implemented Categories\\" + kVertical);
    reg.Key(HKEY_LOCAL_MACHINE, kBho64 + L"\\" + id.bho);
    reg.String(HKEY_LOCAL_MACHINE, kClasses64 + id.bho + L"\\InProcServer32", L"", raw);
    ids.push_back(id);
  }
  // An explorer bar of the browser's library showing a page on a share.
  const std::wstring pageBar = NewClsid();
  reg.String(HKEY_LOCAL_MACHINE, kClasses64 + pageBar + L"\\InProcServer32", L"", L"shdocvw.dll");
  reg.String(HKEY_LOCAL_MACHINE, kClasses64 + pageBar + L"\\Instance\\InitPropertyBag", L"Url",
             L"file://qlmhost/s/page.htm");
  reg.Key(HKEY_LOCAL_MACHINE, kClasses64 + pageBar + L"\\Implemented Categories\\" + kVertical);
  // A local add-on beside them, so the observer is seen at work.
  const std::wstring local = NewClsid();
  reg.String(HKEY_LOCAL_MACHINE, kIe64 + L"\\Toolbar", local, L"");
  reg.String(HKEY_LOCAL_MACHINE, kClasses64 + local + L"\\InProcServer32", L"", f.company);

  discovery::FileGate::Observer observer;
  const auto toolbars = ListLive(TableId::kToolbars, files);
  const auto buttons = ListLive(TableId::kButtons, files);
  const auto menus = ListLive(TableId::kMenuExtensions, files);
  const auto bars = ListLive(TableId::kExplorerBars, files);
  const auto helpers = ListLive(TableId::kHelperObjects, files);
  ASSERT_TRUE(toolbars && buttons && menus && bars && helpers);

  const auto paths = observer.Paths();
  bool sawLocal = false;
  for (const auto& path : paths) {
    EXPECT_EQ(discovery::ClassifyPath(path), discovery::PathKind::Local) << Narrow(path);
    EXPECT_EQ(path.find(L"qlmhost"), std::wstring::npos) << Narrow(path);
    EXPECT_EQ(path.find(L"qlmpipe"), std::wstring::npos) << Narrow(path);
    if (_wcsicmp(path.c_str(), f.company.c_str()) == 0) sawLocal = true;
  }
  EXPECT_TRUE(sawLocal) << "the local toolbar's file was read through the gate";
  const CResultNode* localNode = Find(*toolbars, local);
  ASSERT_NE(localNode, nullptr);
  EXPECT_FALSE(localNode->params.IsInCollection(kFileNote));
  EXPECT_EQ(localNode->params.Text(L"manufacturer"), L"Fixture Makers Ltd");

  for (std::size_t i = 0; i < forms.size(); ++i) {
    const Form& form = forms[i];
    SCOPED_TRACE(Narrow(form.raw));
    const CResultNode* nodes[] = {Find(*toolbars, ids[i].toolbar), Find(*buttons, ids[i].button),
                                  Find(*menus, ids[i].menu), Find(*bars, ids[i].bar), Find(*helpers, ids[i].bho)};
    const std::wstring dlls[] = {form.raw, form.buttonDll, form.menuDll, form.raw, form.raw};
    for (std::size_t k = 0; k < 5; ++k) {
      ASSERT_NE(nodes[k], nullptr) << "kind " << k;
      EXPECT_EQ(nodes[k]->params.Text(kDll), dlls[k]) << "kind " << k;
      ExpectNoteInPlace(*nodes[k], form.note);
    }
    // The texts pointing into a file on a share stay as written.
    EXPECT_EQ(nodes[1]->params.Text(L"buttontext"), L"@\\\\qlmhost\\s\\x.dll,-101");
    EXPECT_EQ(nodes[1]->params.Text(L"menutext"), L"@%QLM_NET_SHARE%\\x.dll,-102");
    EXPECT_EQ(nodes[3]->params.Text(L"Name"), L"Qlm Path Bar");
  }
  const CResultNode* page = Find(*bars, pageBar);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->params.Text(kDll), L"file://qlmhost/s/page.htm");
  ExpectNoteInPlace(*page, kNetworkNote);
}

TEST(DiscoveryPaths, ThirtyTwoBitEntriesReadThe32BitProgramFiles) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  FileResolver files(true);
  const FixtureFiles f;
  const std::wstring programFiles32 = Variable(L"ProgramFiles(x86)");
  const std::wstring programFiles64 = Variable(L"ProgramFiles");
  ASSERT_FALSE(programFiles32.empty());
  ASSERT_NE(programFiles32, programFiles64);
  const std::wstring vendor = L"QuillmoorTestVendor" + std::to_wstring(GetCurrentProcessId());
  MadeFolder folder(programFiles32 + L"\\" + vendor);
  const std::wstring dll = folder.Copy(f.company, L"x.dll");
  ASSERT_EQ(GetFileAttributesW(dll.c_str()) != INVALID_FILE_ATTRIBUTES, true);
  const std::wstring raw = L"%ProgramFiles%\\" + vendor + L"\\x.dll";

  // Helper objects in the 32-bit view only (the text as a string that
  // discovery expands, and as one the registry reader expands), one in both
  // views with the same text: each view reads its own folder, whatever came
  // first.
  RegFixture reg;
  const std::wstring only32 = NewClsid(), expand32 = NewClsid(), both = NewClsid();
  reg.Key(HKEY_LOCAL_MACHINE, kBho32 + L"\\" + only32);
  reg.String(HKEY_LOCAL_MACHINE, kClasses32 + only32 + L"\\InProcServer32", L"", raw);
  reg.Key(HKEY_LOCAL_MACHINE, kBho32 + L"\\" + expand32);
  reg.String(HKEY_LOCAL_MACHINE, kClasses32 + expand32 + L"\\InProcServer32", L"", raw, REG_EXPAND_SZ);
  for (const auto* bho : {&kBho64, &kBho32}) reg.Key(HKEY_LOCAL_MACHINE, *bho + L"\\" + both);
  for (const auto* classes : {&kClasses64, &kClasses32})
    reg.String(HKEY_LOCAL_MACHINE, *classes + both + L"\\InProcServer32", L"", raw);

  const auto helpers = ListLive(TableId::kHelperObjects, files);
  ASSERT_TRUE(helpers.has_value());
  for (const auto& id : {only32, expand32}) {
    const CResultNode* node = Find(*helpers, id, 32);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(_wcsicmp(node->params.Text(kDll).c_str(), dll.c_str()), 0) << Narrow(node->params.Text(kDll));
    EXPECT_EQ(node->params.Text(L"manufacturer"), L"Fixture Makers Ltd");
    EXPECT_EQ(node->params.Text(L"version"), L"3.1");
    EXPECT_FALSE(node->params.IsInCollection(kFileNote));
  }
  const CResultNode* native = Find(*helpers, both, 64);
  const CResultNode* wow = Find(*helpers, both, 32);
  ASSERT_TRUE(native && wow);
  EXPECT_EQ(native->params.Text(kDll), raw);  // nothing in the 64-bit folder: as written
  EXPECT_EQ(_wcsicmp(wow->params.Text(kDll).c_str(), dll.c_str()), 0) << Narrow(wow->params.Text(kDll));

  // The checker keeps the two readings of one text apart.
  FileResolver fresh(true);
  EXPECT_EQ(fresh.GetFullFileNameFromShortFilename(raw), raw);
  EXPECT_EQ(_wcsicmp(fresh.GetFullFileNameFromShortFilename(raw, true).c_str(), dll.c_str()), 0);
  EXPECT_EQ(fresh.GetFullFileNameFromShortFilename(raw), raw);
  EXPECT_EQ(fresh.CachedCount(), 2u);
}
