#include <gtest/gtest.h>

#include "components/QLMCustom.h"
#include "components/StoatlineRules.h"
#include "app/PrivilegeRules.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace qlmtest;

TEST(ComponentsCustom, FactoryMakesTheClassByProgIdOnly) {
  UniqueModule dll(LoadLibraryW((DistFolder() + L"\\QLMCustom.dll").c_str()));
  auto create = reinterpret_cast<QLMCreateObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(dll.get(), QLMCUSTOM_FACTORY_NAME)));
  ASSERT_NE(create, nullptr);
  IQLMCustom* object = nullptr;
  ASSERT_EQ(create(L"qlmcustom.ccustom2", &object), 0);  // ProgIDs ignore case
  // Ours leaves the logger variable it is handed as it is.
  auto* logger = reinterpret_cast<CErrorLog*>(&object);
  CErrorLog* variable = logger;
  object->Init(variable);
  EXPECT_EQ(variable, logger);
  object->Release();
  EXPECT_NE(create(L"QLMCustom.CCustom3", &object), 0);
  EXPECT_EQ(object, nullptr);
}

TEST(ComponentsStoatline, ProgramInFolder) {
  using Stoatline::ProgramInFolder;
  EXPECT_EQ(ProgramInFolder(L"C:\\PROGRA~1\\QUILLM~1"), L"C:\\PROGRA~1\\QUILLM~1\\Quillmoor.exe");
  EXPECT_EQ(ProgramInFolder(L"  \"D:\\Quill moor\\\" \r\n"), L"D:\\Quill moor\\Quillmoor.exe");
  EXPECT_EQ(ProgramInFolder(L"C:\\"), L"C:\\Quillmoor.exe");
  EXPECT_EQ(ProgramInFolder(L""), L"");
  EXPECT_EQ(ProgramInFolder(L"  \"\" "), L"");
  EXPECT_EQ(Stoatline::FolderOf(L"D:\\Quill moor\\Quillmoor.exe"), L"D:\\Quill moor");
}

TEST(ComponentsStoatline, RundllStartsTheProgramFromItsFolder) {
  // A program folder with the helper and a stand-in for the program, whose
  // name has a space, so its short form differs.
  TempFolder tmp;
  const std::wstring folder = tmp.File(L"Quill moor");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((DistFolder() + L"\\Stoatline.dll").c_str(), (folder + L"\\Stoatline.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((TestBinFolder() + L"\\stoat_marker.exe").c_str(), (folder + L"\\Quillmoor.exe").c_str(),
                        FALSE));

  wchar_t shortForm[1024] = {};
  const DWORD n = GetShortPathNameW(folder.c_str(), shortForm, 1024);
  ASSERT_GT(n, 0u);
  const std::wstring relaunchFolder = Elevation::RelaunchFolder(std::wstring(shortForm, n), folder);
  // The program's parameters put a space after the comma, which Windows'
  // rundll32 skips and Wine's does not; here the helper is run the way
  // both read alike.
  std::wstring parameters = Elevation::RelaunchParameters(relaunchFolder);
  const auto comma = parameters.find(L"\", stoat_line ");
  ASSERT_NE(comma, std::wstring::npos);
  parameters.erase(comma + 2, 1);
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring command = L"\"" + std::wstring(windows) + L"\\system32\\rundll32.exe\" " + parameters;
  EXPECT_EQ(RunProcess(command), 0) << Narrow(command);

  // The helper asks the shell and returns; the program starts on its own.
  const std::wstring marker = folder + L"\\started.txt";
  for (int i = 0; i < 600 && GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  ASSERT_NE(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the program was not started";
  const std::string bytes = ReadBytes(marker);
  const std::wstring cwd(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  // Started in its own folder.
  wchar_t longCwd[1024] = {};
  GetLongPathNameW(cwd.c_str(), longCwd, 1024);
  EXPECT_EQ(_wcsicmp(longCwd, folder.c_str()), 0) << Narrow(cwd);
}
