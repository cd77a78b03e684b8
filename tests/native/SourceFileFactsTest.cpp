// A system's files read from a source rather than the running machine:
// registry file strings resolved as the running system resolves them, with
// only the source's own drive ever asked; and a folder standing for the
// system drive, read without leaving it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/files/ImageFileSource.h"
#include "engine/files/SourceFileFacts.h"
#include "support/AskedFileSource.h"

namespace {

namespace fs = std::filesystem;
using engine::SourceFileFacts;
using qlmtest::FileBytes;

engine::SystemDescription System() {
  engine::SystemDescription system;
  system.environment = {{L"SystemRoot", L"C:\\Windows"},
                        {L"ProgramFiles", L"C:\\Program Files"},
                        {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"},
                        {L"CommonProgramFiles(x86)", L"C:\\Common32"},
                        {L"ProgramW6432", L"C:\\Program Files"},
                        {L"Share", L"\\\\host\\share"},
                        {L"Bits", L"64"}};
  system.environment32 = {{L"BITS", L"32"}};
  system.systemFolder = L"C:\\Windows\\System32";
  system.systemFolder32 = L"C:\\Windows\\SysWOW64";
  system.searchFolders = {L"%SystemRoot%\\System32", L"%systemroot%", L"\\\\host\\share", L"D:\\Bin", L"C:\\Tools"};
  system.signatureText = L"Not checked";
  return system;
}

TEST(NativeSourceFileFacts, FileStringsResolveAsTheSystemDoesAndOnlyTheSourcesDriveIsAsked) {
  qlmtest::AskedFileSource source;
  const std::string seeds = QLM_CORPUS "/PeResourcesFuzz/";
  auto& files = source.files;
  files.AddFile(L"C:\\Windows\\System32\\shdocvw.dll", FileBytes(seeds + "fx_company32.dll"));
  files.AddFile(L"C:\\Windows\\SysWOW64\\shdocvw.dll", FileBytes(seeds + "fx_german.dll"));
  files.AddFile(L"C:\\Windows\\System32\\lang.dll", FileBytes(seeds + "fx_company32.dll"));
  files.AddFile(L"C:\\Windows\\System32\\en-US\\lang.dll.mui", FileBytes(seeds + "fx_strings.dll"));
  files.AddFile(L"C:\\Windows\\notepad.exe", {});
  files.AddFile(L"C:\\Program Files\\Maker\\bar.dll", FileBytes(seeds + "fx_strings.dll"));
  files.AddFile(L"C:\\Program Files (x86)\\Maker\\bar32.dll", {});
  files.AddFile(L"C:\\Tools\\tool.dll", {});
  files.AddFile(L"C:\\Windows\\%Bits%\\odd.dll", {});
  files.AddFile(L"D:\\Bin\\tool.dll", {});  // not the source's drive: never found
  files.AddFile(L"D:\\Program Files\\x.dll", {});
  SourceFileFacts facts(source, System());

  struct Case {
    std::wstring input;
    bool as32;
    std::wstring resolved;
  };
  const std::wstring bar = L"C:\\Program Files\\Maker\\bar.dll";
  const Case cases[] = {
      {bar, false, bar},
      {L"c:/Program Files/Maker//bar.dll", false, L"c:\\Program Files\\Maker\\bar.dll"},
      {L"shdocvw.dll", false, L"C:\\Windows\\System32\\shdocvw.dll"},
      {L"shdocvw.dll", true, L"C:\\Windows\\System32\\shdocvw.dll"},
      {L"notepad.exe", false, L"C:\\Windows\\notepad.exe"},
      {L"tool.dll", false, L"C:\\Tools\\tool.dll"},
      {L"System32\\shdocvw.dll", false, L"C:\\Windows\\System32\\shdocvw.dll"},
      {L"%ProgramFiles%\\Maker\\bar.dll", false, bar},
      {L"%ProgramFiles%\\Maker\\bar32.dll", true, L"C:\\Program Files (x86)\\Maker\\bar32.dll"},
      {L"%ProgramFiles%\\Maker\\bar32.dll", false, L"%ProgramFiles%\\Maker\\bar32.dll"},
      {L"%Bits%\\odd.dll", false, L"C:\\Windows\\%Bits%\\odd.dll"},  // not as expanded: as written
      {L"\\??\\" + bar, false, bar},
      {L"\\??\\C:\\gone.dll", false, L"C:\\gone.dll"},
      {L"  \"" + bar + L"\" /embedding", false, bar},
      {L"\"C:\\gone.dll\" /x", false, L"\"C:\\gone.dll\" /x"},
      {L"C:\\Windows\\..\\..\\Tools\\.\\tool.dll. ", false, L"C:\\Tools\\tool.dll"},
      {L"..\\Tools\\tool.dll", false, L"..\\Tools\\tool.dll"},
      {L"\\\\host\\share\\x.dll", false, L"\\\\host\\share\\x.dll"},
      {L"%Share%\\x.dll", true, L"%Share%\\x.dll"},
      {L"\\\\.\\pipe\\x", false, L"\\\\.\\pipe\\x"},
      {L"C:\\Tools\\NUL.dll", false, L"C:\\Tools\\NUL.dll"},
      {L"D:\\Program Files\\x.dll", false, L"D:\\Program Files\\x.dll"},
      {L"", false, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(facts.Resolve(c.input, c.as32), c.resolved) << c.as32 << " " << c.input;
  // Each input is looked for once, for each kind of process.
  const std::size_t asked = source.asked.size();
  for (const auto& c : cases) EXPECT_EQ(facts.Resolve(c.input, c.as32), c.resolved);
  EXPECT_EQ(source.asked.size(), asked);

  EXPECT_EQ(facts.Expand(L"%bits% %BITS%/%ProgramFiles%/%Gone%", false), L"64 64/C:\\Program Files/%Gone%");
  EXPECT_EQ(facts.Expand(L"%bits%/%ProgramFiles%/%PROCESSOR_ARCHITECTURE%/%CommonProgramFiles%/%ProgramW6432%", true),
            L"32/C:\\Program Files (x86)/x86/C:\\Common32/C:\\Program Files");
  EXPECT_EQ(facts.VersionStrings(L"C:\\Windows\\System32\\shdocvw.dll").Item(L"CompanyName"), L"Fixture Makers Ltd");
  EXPECT_EQ(facts.VersionStrings(L"c:/windows/syswow64/SHDOCVW.DLL").Item(L"CompanyName"), L"Beispiel GmbH");
  EXPECT_EQ(facts.VersionStrings(L"shdocvw.dll").Count(), 0u);  // no one place
  EXPECT_EQ(facts.IndirectString(L"@%ProgramFiles%\\Maker\\bar.dll,-102", false), L"Fixture Menu");
  EXPECT_EQ(facts.IndirectString(L"@lang.dll,-101", false), L"Fixture &Button");  // from its language file
  for (const std::wstring text : {L"@\\\\host\\s\\x.dll,-101", L"@D:\\Program Files\\x.dll,-101", L"@lang.dll,-999"})
    EXPECT_EQ(facts.IndirectString(text, false), text);
  EXPECT_TRUE(facts.Exists(L"C:\\Tools\\TOOL.dll"));
  EXPECT_FALSE(facts.Exists(L"C:\\Tools"));
  EXPECT_FALSE(facts.Exists(L"D:\\Program Files\\x.dll"));

  for (const auto& path : source.asked) {
    EXPECT_TRUE(path.size() > 3 && (path[0] == L'C' || path[0] == L'c') && path.compare(1, 2, L":\\") == 0) << path;
    EXPECT_EQ((L"\\" + path + L"\\").find(L"\\..\\"), std::wstring::npos) << path;
    EXPECT_EQ(path.find_first_of(L"/\""), std::wstring::npos) << path;
    EXPECT_EQ(path.find(L"NUL"), std::wstring::npos) << path;
  }

  // A system without 32-bit processes reads the 64-bit values for both.
  engine::SystemDescription only64 = System();
  only64.systemFolder32.clear();
  SourceFileFacts facts64(source, only64);
  EXPECT_EQ(facts64.SystemFolder(true), L"C:\\Windows\\System32");
  EXPECT_EQ(facts64.Expand(L"%ProgramFiles%", true), L"C:\\Program Files");
}

// A folder tree made on this machine's file system, removed at the end.
struct TempTree {
  fs::path root = fs::temp_directory_path() / ("qlm-image-" + std::to_string(::getpid()));
  TempTree() { fs::remove_all(root); }
  ~TempTree() { fs::remove_all(root); }
  void File(const fs::path& relative, const std::string& bytes) {
    fs::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
};

TEST(NativeImageFileSource, NamesIgnoreCaseAndNothingOutsideTheFolderIsReached) {
  TempTree tree;
  const fs::path image = tree.root / "image";
  tree.File("image/Windows/System32/Shdocvw.dll", "MZ-system");
  tree.File("image/Case/ABC.dll", "upper");
  tree.File("image/Case/abc.dll", "lower-case");
  const std::string odd = "na;me %x% \xC3\xBC\xE2\x80\xAE\n.dll";  // u-umlaut, a bidi override, a line break
  tree.File("image/Odd/" + odd, "odd");
  tree.File("image/Odd/a\\b.dll", "split");
  tree.File("outside/secret.dll", "secret");
  fs::create_symlink(tree.root / "outside/secret.dll", image / "Windows/link.dll");
  fs::create_directory_symlink(tree.root / "outside", image / "Linked");
  ASSERT_EQ(::mkfifo((image / "Windows/pipe.dll").c_str(), 0600), 0);

  engine::ImageFileSource source(image);
  const auto size = [&](const std::wstring& path) { return source.Facts(path) ? source.Facts(path)->size : 0u; };
  EXPECT_EQ(size(L"C:\\WINDOWS\\system32\\SHDOCVW.DLL"), 9u);
  EXPECT_EQ(size(L"\\\\?\\c:/Windows//System32/shdocvw.dll"), 9u);
  EXPECT_EQ(size(L"C:\\Case\\abc.dll"), 10u);  // the exact name
  EXPECT_EQ(size(L"C:\\Case\\Abc.dll"), 5u);   // else the first in byte order
  EXPECT_EQ(size(L"C:\\odd\\NA;ME %x% \u00FC\u202E\n.DLL"), 3u);
  EXPECT_GT(source.Facts(L"C:\\Case\\ABC.dll")->times.lastWrite, 116444736000000000u);  // after 1970
  const auto file = source.Open(L"C:\\Windows\\System32\\shdocvw.dll");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Read(3, 100), (std::vector<std::uint8_t>{'s', 'y', 's', 't', 'e', 'm'}));
  EXPECT_FALSE(file->Read(0, engine::kMaxFileReadBytes + 1));
  for (const std::wstring refused :
       {L"C:\\Windows\\link.dll", L"C:\\Linked\\secret.dll", L"C:\\Windows\\pipe.dll", L"C:\\..\\outside\\secret.dll",
        L"C:\\Windows\\..\\..\\outside\\secret.dll", L"C:\\Windows", L"D:\\Windows\\System32\\shdocvw.dll",
        L"\\\\?\\UNC\\host\\s\\Windows\\System32\\shdocvw.dll", L"C:\\Odd\\a\\b.dll",
        L"Windows\\System32\\shdocvw.dll"})
    EXPECT_FALSE(source.Facts(refused) || source.Open(refused)) << refused;
  EXPECT_FALSE(source.List(L"C:\\Linked"));
  EXPECT_FALSE(source.List(L"C:\\Odd\\.."));

  std::vector<std::pair<std::wstring, bool>> listed;
  for (const auto& entry : source.List(L"c:\\windows").value_or(std::vector<engine::FolderEntry>{}))
    listed.emplace_back(entry.name, entry.isFolder);
  EXPECT_EQ(listed, (std::vector<std::pair<std::wstring, bool>>{{L"System32", true}}));
  ASSERT_TRUE(source.List(L"C:\\Odd"));
  ASSERT_EQ(source.List(L"C:\\Odd")->size(), 1u);  // the name a Windows path would split is left out
  EXPECT_EQ(source.List(L"C:\\Odd")->front().name, L"na;me %x% \u00FC\u202E\n.dll");

  // The listing's view over the image.
  engine::SystemDescription system = System();
  SourceFileFacts facts(source, system);
  EXPECT_EQ(facts.Resolve(L"SHDOCVW.dll", false), L"C:\\Windows\\System32\\SHDOCVW.dll");
}

}  // namespace
