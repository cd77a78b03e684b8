// 32-bit entries read their own environment, on real paths. (File strings
// naming shares and devices: EngineListing.SharesAndDevicesAreNotedNotRead
// and the gate's own test.)
#include <gtest/gtest.h>

#include "engine/kinds/AddonRecord.h"
#include "engine/files/FileResolver.h"
#include "support/RegFixture.h"
#include "ozcore/CRegistry.h"
#include "support/LiveList.h"
#include "support/TestSupport.h"

using namespace qlmtest;
using discovery::keys::kDll;
using discovery::keys::kFileNote;

namespace {

const std::wstring kBho64 = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kBho32 =
    L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const std::wstring kClasses64 = L"Software\\Classes\\CLSID\\";
const std::wstring kClasses32 = L"Software\\Classes\\Wow6432Node\\CLSID\\";


// The first record with that ID (and that view; 0: either); null if none.
const CResultNode* Find(const CResultNodes& list, const std::wstring& id, std::int32_t view = 0) {
  for (std::size_t i = 1; i <= list.Count(); ++i) {
    const CResultNode* node = list.Item(i);
    const CParam* v = node->params.Find(L"view");
    if (node->ID == id && (view == 0 || (v && v->Number() == view))) return node;
  }
  return nullptr;
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

TEST(DiscoveryPaths, ThirtyTwoBitEntriesReadThe32BitProgramFiles) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  FileResolver files(true);
  const std::wstring programFiles32 = Variable(L"ProgramFiles(x86)");
  const std::wstring programFiles64 = Variable(L"ProgramFiles");
  ASSERT_FALSE(programFiles32.empty());
  ASSERT_NE(programFiles32, programFiles64);
  const std::wstring vendor = L"QuillmoorTestVendor" + std::to_wstring(GetCurrentProcessId());
  MadeFolder folder(programFiles32 + L"\\" + vendor);
  const std::wstring dll = folder.Copy(FixtureFolder() + L"\\fx_company.dll", L"x.dll");
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
