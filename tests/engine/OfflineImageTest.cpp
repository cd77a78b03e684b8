// The same world listed live under Wine and offline from an image made of
// its registry: the exports merged into hive files by the peer writer
// (hivexregedit), its files copied as they are (a link stays a link), and
// the image listed by the Linux qmscan. Every kind, the machine's two
// views, the signed-in user, the default user, files with version
// resources named in every form, a system file by bare name, and a link
// out of the drive: the records must agree field for field except what is
// read differently by design (source, lastWritten, the users' names).
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <iterator>

#include "engine/kinds/AddonKinds.h"
#include "support/KindEntries.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Runs the Unix half of the test (named as the program to start: Wine
// finds no Unix program through a command line) and waits for the file it
// writes last.
bool RunUnixStep(const std::wstring& arguments, const std::wstring& lastFile) {
  DeleteFileW(lastFile.c_str());
  std::wstring line = L"/bin/bash " + Wide(QLM_OFFLINE_SCRIPT) + L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(L"Z:\\bin\\bash", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return false;
  UniqueKernelHandle process(started.hProcess), thread(started.hThread);
  WaitForSingleObject(process.get(), 240000);
  for (int i = 0; i < 100 && GetFileAttributesW(lastFile.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  return GetFileAttributesW(lastFile.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + Wide(UnixPath(path)) + L"\""; }

std::wstring Joined(std::initializer_list<std::wstring> parts) {
  std::wstring line;
  for (const auto& part : parts) line.append(line.empty() ? L"" : L" ").append(part);
  return line;
}

}  // namespace

TEST(OfflineImage, ListsAsTheLiveRegistryOfTheSameWorld) {
  const std::wstring world = L"C:\\ProgramData\\QuillWorld";
  ASSERT_TRUE(RunUnixStep(Joined({L"prepare", Quoted(world), Quoted(FixtureFolder())}), world + L"\\.prepared"));
  const std::wstring files[] = {world + L"\\company.dll", L"%ProgramData%\\QuillWorld\\german.dll",
                                L"\"" + world + L"\\fileonly.dll\" /x", L"shdocvw.dll", L"", world + L"\\linked.dll"};
  RegFixture reg;
  KindEntries entries(reg);
  std::size_t written = 0;
  for (const auto& kind : discovery::AddonKinds()) {
    std::vector<Place> places{kMachine};
    if (!kind.machineSharedByViews) places.push_back(kMachine32);
    if (*kind.userPath) places.insert(places.end(), {kCurrentUser, kDefaultUser});
    for (const Place& place : places) {
      entries.Add(kind.id, place, L"Quill World " + std::to_wstring(written), files[written % std::size(files)]);
      ++written;
    }
  }

  TempFolder tmp;
  const auto live = RunCaptured(L"\"" + DistFolder() + L"\\qmscan.exe\" --json");
  ASSERT_EQ(live.code, 0) << live.err;
  std::ofstream(UnixPath(tmp.File(L"live.json")), std::ios::binary) << live.out;
  const std::wstring user = L"S-1-5-21-0-0-0-1000";
  const std::pair<const wchar_t*, std::wstring> exports[] = {{L"software", L"HKEY_LOCAL_MACHINE\\Software"},
                                                             {L"default", L"HKEY_USERS\\.DEFAULT"},
                                                             {L"user", L"HKEY_USERS\\" + user}};
  for (const auto& [name, tree] : exports)
    ASSERT_EQ(RunProcess(L"\"" + RegExe() + L"\" export \"" + tree + L"\" \"" + tmp.File(std::wstring(name) + L".reg") +
                         L"\" /y"),
              0);
  wchar_t profile[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%USERNAME%", profile, MAX_PATH);
  const std::wstring qmscan = Wide(UnixPath(DistFolder())) + L"/../linux/qmscan";
  ASSERT_TRUE(RunUnixStep(Joined({L"image", Quoted(tmp.Path()), Wide(QLM_MINIMAL_HIVE), qmscan, Quoted(L"C:\\"),
                                  profile, user}),
                          tmp.File(L"counts")))
      << ReadBytes(tmp.File(L"image.log"));
  const std::string log = ReadBytes(tmp.File(L"image.log")) + ReadBytes(tmp.File(L"offline.err"));
  unsigned long liveCount = 0, offlineCount = 0;
  std::istringstream(ReadBytes(tmp.File(L"counts"))) >> liveCount >> offlineCount;
  EXPECT_GE(liveCount, written) << log;
  EXPECT_EQ(offlineCount, liveCount) << log;
  EXPECT_EQ(ReadBytes(tmp.File(L"diff.txt")), "") << log;
}
