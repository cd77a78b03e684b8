// The file source over the machine's files and our own resource reader,
// against the system's own answers: version strings as VerQueryValueW gives
// them and strings as LoadStringW gives them from the file loaded as data,
// for the fixtures and the programs of the system folder; file facts and
// folder listings as the system's calls give them; links refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/files/IndirectString.h"
#include "engine/files/LiveFileSource.h"
#include "engine/files/PeResources.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

// How many of the system folder's programs are compared: enough to meet
// every resource layout Wine builds, few enough to stay within seconds.
constexpr std::size_t kMaxSystemFiles = 400;

std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do files.push_back(folder + L"\\" + found.cFileName);
  while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

std::vector<std::wstring> Lines(const CStringDictionary& strings) {
  std::vector<std::wstring> lines;
  for (std::size_t i = 1; i <= strings.Count(); ++i) lines.push_back(strings.Key(i) + L"=" + strings.Item(i));
  return lines;
}

// The system's version strings, from the table the program picks: the
// first declared language and code page, then the two US English ones.
std::vector<std::wstring> SystemVersionLines(const std::wstring& file) {
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(file.c_str(), &ignored));
  if (block.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
  std::vector<std::wstring> keys = {L"040904B0", L"040904E4"};
  WORD* pair = nullptr;
  UINT units = 0;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pair), &units) &&
      units >= 4) {
    wchar_t key[16];
    swprintf(key, 16, L"%04X%04X", pair[0], pair[1]);
    keys.insert(keys.begin(), key);
  }
  for (const auto& key : keys) {
    std::vector<std::wstring> lines;
    for (const auto* name :
         {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright", L"OriginalFilename",
          L"ProductName", L"ProductVersion", L"Comments", L"LegalTrademarks", L"PrivateBuild", L"SpecialBuild"}) {
      wchar_t* value = nullptr;
      const std::wstring query = L"\\StringFileInfo\\" + key + L"\\" + name;
      if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &units))
        lines.push_back(std::wstring(name) + L"=" + std::wstring(value, units ? wcsnlen(value, units) : 0));
    }
    if (!lines.empty()) return lines;
  }
  return {};
}

BOOL CALLBACK AddBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<WORD>*>(blocks)->push_back(LOWORD(name));
  return TRUE;
}

// A Unix symbolic link, which Wine shows as a reparse point; removed when
// the object goes. Wine gives no handle to wait on for a Unix process.
class UnixLink {
 public:
  UnixLink(const std::wstring& target, const std::wstring& link) : link_(link), unix_(UnixPath(link)) {
    Shell("ln -s '" + UnixPath(target) + "' '" + unix_ + "'", true);
  }
  ~UnixLink() { Shell("rm -f '" + unix_ + "'", false); }
  bool Made() const { return GetFileAttributesW(link_.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  void Shell(const std::string& command, bool made) const {
    RunProcess(L"Z:\\bin\\sh -c \"" + std::wstring(command.begin(), command.end()) + L"\"");
    for (int wait = 0; wait < 100 && Made() != made; ++wait) Sleep(50);
  }
  std::wstring link_;
  std::string unix_;
};

}  // namespace

TEST(PeResources, VersionAndStringsAsTheSystemReadsThem) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  // The malformed fixtures are left out: the system's readers run past
  // their blocks (NativeVersionBlock and NativeStringTableBlock hold those forms).
  std::vector<std::wstring> files = FilesIn(FixtureFolder(), L"fx_*.dll");
  files.erase(std::remove_if(files.begin(), files.end(),
                             [](const auto& file) { return file.find(L"\\fx_bad") != std::wstring::npos; }),
              files.end());
  auto programs = FilesIn(system, L"*.dll"), exes = FilesIn(system, L"*.exe");
  programs.insert(programs.end(), exes.begin(), exes.end());
  const std::size_t step = programs.size() / kMaxSystemFiles + 1;
  for (std::size_t i = 0; i < programs.size(); i += step) files.push_back(programs[i]);

  engine::LiveFileSource source;
  const engine::LanguageOrder languages = engine::LoaderLanguages();
  std::size_t versions = 0, strings = 0;
  for (const auto& file : files) {
    const auto expected = SystemVersionLines(file);
    versions += expected.empty() ? 0 : 1;
    EXPECT_EQ(Lines(engine::VersionStrings(source, file, languages)), expected) << Narrow(file);

    UniqueModule module(
        LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    std::vector<WORD> blocks;
    EnumResourceNamesW(module.get(), RT_STRING, AddBlock, reinterpret_cast<LONG_PTR>(&blocks));
    blocks.resize(std::min<std::size_t>(blocks.size(), 2));  // the first blocks of each file
    for (const WORD block : blocks) {
      for (UINT number = (block - 1u) * 16; number < block * 16u; ++number) {
        const wchar_t* text = nullptr;
        const int units = LoadStringW(module.get(), number, reinterpret_cast<LPWSTR>(&text), 0);
        strings += units > 0 ? 1 : 0;
        const auto ours = engine::ResourceString(source, file, number, languages);
        EXPECT_EQ(ours.value_or(L""), std::wstring(text ? text : L"", units > 0 ? units : 0))
            << Narrow(file) << " " << number;
      }
    }
  }
  // Not a comparison of nothings.
  EXPECT_GT(versions, 50u);
  EXPECT_GT(strings, 200u);
}

TEST(LiveFileSource, FactsListingsAndLinks) {
  engine::LiveFileSource source;
  const std::wstring strings = FixtureFolder() + L"\\fx_strings.dll";
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(strings.c_str(), GetFileExInfoStandard, &data));
  const auto facts = source.Facts(strings);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->size, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
  EXPECT_EQ(facts->times.lastWrite,
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime);
  std::set<std::wstring> listed, found;
  for (const auto& entry : source.List(FixtureFolder()).value_or(std::vector<engine::FolderEntry>{}))
    listed.insert(entry.name + (entry.isFolder ? L"\\" : L""));
  for (const auto& path : FilesIn(FixtureFolder(), L"*")) {
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (name != L"." && name != L"..") found.insert(name + (attributes & FILE_ATTRIBUTE_DIRECTORY ? L"\\" : L""));
  }
  EXPECT_EQ(listed, found);
  EXPECT_FALSE(source.Facts(FixtureFolder()));  // a folder is no file
  EXPECT_FALSE(source.Open(L"C:\\qlm-no-such-folder\\x.dll"));

  // A file and a folder reached through links are refused; the same file
  // by its own path is read.
  TempFolder tmp;
  ASSERT_TRUE(CreateDirectoryW(tmp.File(L"real").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(strings.c_str(), tmp.File(L"real\\x.dll").c_str(), FALSE));
  const UnixLink fileLink(tmp.File(L"real\\x.dll"), tmp.File(L"file-link.dll"));
  const UnixLink folderLink(tmp.File(L"real"), tmp.File(L"folder-link"));
  ASSERT_TRUE(fileLink.Made() && folderLink.Made());
  EXPECT_TRUE(source.Open(tmp.File(L"real\\x.dll")));
  for (const auto* link : {L"file-link.dll", L"folder-link\\x.dll"}) {
    EXPECT_FALSE(source.Open(tmp.File(link))) << Narrow(link);
    EXPECT_FALSE(source.Facts(tmp.File(link))) << Narrow(link);
  }
  EXPECT_FALSE(source.List(tmp.File(L"folder-link")));

  // A file without the string: its language file beside it has it.
  ASSERT_TRUE(CreateDirectoryW(tmp.File(L"real\\en-US").c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(strings.c_str(), tmp.File(L"real\\en-US\\plain.dll.mui").c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileW((FixtureFolder() + L"\\fx_noversion.dll").c_str(), tmp.File(L"real\\plain.dll").c_str(), FALSE));
  EXPECT_EQ(discovery::LoadIndirectString(L"@" + tmp.File(L"real\\plain.dll") + L",-102"), L"Fixture Menu");
}
