#include "SyntheticRegistry.h"

#include <sddl.h>
#include <shlobj.h>

#include <array>
#include <cstdint>
#include <cstdio>

#include "ozcore/UniqueHandle.h"

namespace bench {

namespace {

constexpr const wchar_t* kClasses = L"Software\\Classes\\CLSID\\";
constexpr const wchar_t* kToolbarMachine = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr const wchar_t* kToolbarUser = L"Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser";
constexpr const wchar_t* kExtensions = L"Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr const wchar_t* kMenuExt = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr const wchar_t* kBho = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr const wchar_t* kHooks = L"Software\\Microsoft\\Internet Explorer\\UrlSearchHooks";
constexpr const wchar_t* kUnits = L"Software\\Microsoft\\Code Store Database\\Distribution Units";
constexpr const wchar_t* kProtocols = L"Software\\Classes\\PROTOCOLS";
constexpr const wchar_t* kScopes = L"Software\\Microsoft\\Internet Explorer\\SearchScopes";
constexpr const wchar_t* kCatVertical = L"{00021493-0000-0000-C000-000000000046}";
constexpr const wchar_t* kCatHorizontal = L"{00021494-0000-0000-C000-000000000046}";

const std::array<const wchar_t*, 20> kVendors = {
    L"Brightpath", L"Skyline Labs", L"DealFinder", L"Tidewater",      L"NoteKeeper", L"Bluefin",    L"Cobalt Search",
    L"Driftwood",  L"Emberly",      L"Foxglove Media", L"Granite Web", L"Harbor Light", L"Ivybridge", L"Juniper Soft",
    L"Kestrel",    L"Lumen Apps",   L"Marigold",   L"Northwind Tools", L"Orchid Labs", L"Pinecone"};
const std::array<const wchar_t*, 15> kProducts = {
    L"Search Toolbar", L"Shopping Helper", L"Weather",        L"Translate",       L"Coupons",
    L"News Bar",       L"Radio",           L"Sidebar",        L"Notes",           L"Password Keeper",
    L"Download Helper", L"Price Watch",    L"Dictionary",     L"Bookmarks Plus",  L"Screen Clip"};

// The demo add-on DLLs (a build's demo/files) and where they are put.
struct DemoFile {
  const wchar_t* built;
  const wchar_t* installed;  // below the demo root
};
const std::array<DemoFile, 5> kDemoFiles = {{{L"bpbar.dll", L"Brightpath\\bpbar.dll"},
                                             {L"wnbar.dll", L"Skyline\\Weather Now\\wnbar.dll"},
                                             {L"dfhelper.dll", L"DealFinder\\dfhelper.dll"},
                                             {L"histplus.dll", L"Tidewater\\histplus.dll"},
                                             {L"notekeep.dll", L"NoteKeeper\\notekeep.dll"}}};

const std::array<const wchar_t*, 5> kSystemFiles = {L"shdocvw.dll", L"C:\\windows\\system32\\mshtml.dll",
                                                    L"%SystemRoot%\\System32\\urlmon.dll", L"msxml3.dll",
                                                    L"C:\\Windows\\System32\\jscript.dll"};

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::wstring AddonName(unsigned kind, std::size_t i) {
  // 300 distinct names: larger registries repeat them, as machines with
  // several versions of one product do.
  std::wstring vendor = kVendors[(i * 7 + kind) % kVendors.size()];
  std::wstring product = kProducts[(i * 3 + i / kVendors.size()) % kProducts.size()];
  if (i % 11 == 0) product.insert(0, L"&");
  return vendor + L" " + product;
}

// Keys are made volatile: they read like any other, but the Wine server
// never writes them to disk, so no save of a registry grown by tens of
// thousands of keys stalls the server in the middle of a timed run.
bool CreatePath(HKEY root, const std::wstring& path, UniqueKey& key) {
  return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr, key.put(),
                         nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::wstring CurrentUserKey() {
  UniqueKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buf(size ? size : 1);
  if (!GetTokenInformation(token.get(), TokenUser, buf.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &text)) return {};
  UniqueLocal owner(text);
  return text;
}

bool SyntheticRegistry::InstallDemoFiles(const std::wstring& demoFiles, const std::wstring& demoRoot) {
  bool ok = true;
  for (const auto& f : kDemoFiles) {
    const std::wstring target = demoRoot + L"\\" + f.installed;
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    ok = CopyFileW((demoFiles + L"\\" + f.built).c_str(), target.c_str(), FALSE) && ok;
  }
  // A page for the context-menu entries that point at a file.
  UniqueFile page(CreateFileW((demoRoot + L"\\NoteKeeper\\send.htm").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return ok && static_cast<bool>(page);
}

SyntheticRegistry::SyntheticRegistry(const RegistryShape& shape, std::wstring demoRoot)
    : shape_(shape), demoRoot_(std::move(demoRoot)) {
  users_.push_back(CurrentUserKey());
  for (std::size_t j = 1; j < shape_.userHives; ++j) {
    const std::wstring sid = L"S-1-5-21-1511428418-3361217563-2371937296-" + std::to_wstring(2000 + j);
    users_.push_back(sid);
    madeUpUsers_.push_back(sid);
  }
  Build();
}

SyntheticRegistry::~SyntheticRegistry() { Remove(); }

std::wstring SyntheticRegistry::Clsid(unsigned kind, std::size_t index) const {
  const std::uint64_t a = Mix((static_cast<std::uint64_t>(kind) << 40) ^ index ^ 0x51A7E5ull);
  const std::uint64_t b = Mix(a ^ 0xC0FFEEull);
  wchar_t buf[40];
  swprintf(buf, 40, L"{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(a >> 32),
           static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(0x4000 | (a & 0x0FFF)),
           static_cast<unsigned>(0x8000 | (b >> 50)), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return buf;
}

std::wstring SyntheticRegistry::FileFor(unsigned kind, std::size_t i, DWORD& type) const {
  type = REG_SZ;
  const std::size_t r = (i * 13 + kind * 5) % 20;
  if (r < 7) {
    const std::wstring demo = demoRoot_ + L"\\" + kDemoFiles[(i + kind) % kDemoFiles.size()].installed;
    switch (r) {
      case 3:
        return L"\\??\\" + demo;
      case 4:
        return L"\"" + demo + L"\" /embedding";
      case 5:
        type = REG_EXPAND_SZ;
        return L"%ProgramFiles%\\QlmBench\\" + std::wstring(kDemoFiles[(i + kind) % kDemoFiles.size()].installed);
      default:
        return demo;
    }
  }
  if (r < 12) {
    const std::wstring sys = kSystemFiles[(i + r) % kSystemFiles.size()];
    if (sys.find(L'%') != std::wstring::npos) type = REG_EXPAND_SZ;
    return sys;
  }
  // Left behind by an uninstaller: the file is gone.
  return L"C:\\Program Files\\" + std::wstring(kVendors[i % kVendors.size()]) + L"\\addon" + std::to_wstring(kind) +
         L"_" + std::to_wstring(i) + L".dll";
}

void SyntheticRegistry::Key(HKEY root, const std::wstring& path, bool track) {
  UniqueKey key;
  CreatePath(root, path, key);
  ++keysWritten_;
  if (track) written_.push_back({root, path, L"", false});
}

void SyntheticRegistry::Str(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
                            DWORD type) {
  UniqueKey key;
  if (!CreatePath(root, path, key)) return;
  RegSetValueExW(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void SyntheticRegistry::Dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
  UniqueKey key;
  if (!CreatePath(root, path, key)) return;
  RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void SyntheticRegistry::Location(std::size_t i, const std::wstring& userTail, const std::wstring& machinePath,
                                 HKEY& root, std::wstring& path) const {
  const std::size_t where = i % (users_.size() + 1);
  if (where == 0) {
    root = HKEY_LOCAL_MACHINE;
    path = machinePath;
  } else {
    root = HKEY_USERS;
    path = users_[where - 1] + L"\\" + userTail;
  }
}

void SyntheticRegistry::RemoveLeftovers() {
  // A run that was stopped leaves its toolbar values behind: they sit in
  // keys the prefix already had, so they outlive the server, unlike the
  // volatile keys. Their names are known; remove any of them up front.
  // URL search hooks are values too.
  const std::wstring lists[] = {kToolbarMachine, users_.front() + L"\\" + kToolbarUser, kHooks,
                                users_.front() + L"\\" + kHooks};
  const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_LOCAL_MACHINE, HKEY_USERS};
  const unsigned kinds[] = {0, 0, 5, 5};
  for (int l = 0; l < 4; ++l) {
    UniqueKey key;
    if (RegOpenKeyExW(roots[l], lists[l].c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) continue;
    for (std::size_t i = 0; i < kLargestRegistry; ++i) RegDeleteValueW(key.get(), Clsid(kinds[l], i).c_str());
  }
}

void SyntheticRegistry::Build() {
  RemoveLeftovers();
  const std::size_t n = shape_.addonsPerKind;
  const std::wstring bpbar = demoRoot_ + L"\\Brightpath\\bpbar.dll";

  // Toolbars: a class each, entered for the machine or one user.
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring clsid = Clsid(0, i);
    const std::wstring cls = kClasses + clsid;
    Key(HKEY_LOCAL_MACHINE, cls, true);
    if (i % 17 != 0) Str(HKEY_LOCAL_MACHINE, cls, L"", AddonName(0, i));
    DWORD type = REG_SZ;
    const std::wstring file = i % 97 == 0 ? L"%SystemRoot%\\system32\\ieframe.dll" : FileFor(0, i, type);
    if (i % 97 == 0) type = REG_EXPAND_SZ;
    Str(HKEY_LOCAL_MACHINE, cls + L"\\InProcServer32", L"", file, type);
    Str(HKEY_LOCAL_MACHINE, cls + L"\\InProcServer32", L"ThreadingModel", L"Apartment");
    HKEY root;
    std::wstring path;
    Location(i, kToolbarUser, kToolbarMachine, root, path);
    Str(root, path, clsid, L"");
    written_.push_back({root, path, clsid, true});
  }
  // Every toolbar key also holds the browser's own layout value.
  for (const auto& user : users_) {
    Dword(HKEY_USERS, user + L"\\" + kToolbarUser, L"ITBarLayout", 17);
    written_.push_back({HKEY_USERS, user + L"\\" + kToolbarUser, L"ITBarLayout", true});
  }

  // Toolbar buttons and menu items.
  for (std::size_t i = 0; i < n; ++i) {
    HKEY root;
    std::wstring list;
    Location(i, kExtensions, kExtensions, root, list);
    const std::wstring entry = list + L"\\" + Clsid(1, i);
    Key(root, entry, true);
    const std::wstring name = AddonName(1, i);
    if (i % 9 == 0)
      Str(root, entry, L"ButtonText", L"@" + bpbar + L",-101");
    else if (i % 4 != 3)
      Str(root, entry, L"ButtonText", name);
    if (i % 3 == 0) Str(root, entry, L"MenuText", L"&" + name);
    Str(root, entry, L"CLSID", L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
    DWORD type = REG_SZ;
    const std::wstring file = FileFor(1, i, type);
    if (i % 5 == 0)
      Str(root, entry, L"Script", L"res://" + file + L"/button.htm");
    else if (i % 5 == 1)
      Str(root, entry, L"ClsidExtension", Clsid(0, i));
    else
      Str(root, entry, L"Exec", file, type);
    if (i % 2 == 0) Str(root, entry, L"Icon", file + L",201");
  }

  // Context-menu entries, named by their menu text.
  for (std::size_t i = 0; i < n; ++i) {
    HKEY root;
    std::wstring list;
    Location(i, kMenuExt, kMenuExt, root, list);
    std::wstring product = kProducts[i % kProducts.size()];
    const std::wstring entry = list + L"\\" + (i % 4 == 0 ? L"Send to &" : L"Send to ") + product + L" " +
                               std::to_wstring(i);
    Key(root, entry, true);
    DWORD type = REG_SZ;
    const std::wstring file = FileFor(2, i, type);
    if (i % 3 == 0)
      Str(root, entry, L"", L"res://" + file + L"/menu.htm");
    else if (i % 3 == 1)
      Str(root, entry, L"", L"file://" + demoRoot_ + L"\\NoteKeeper\\send.htm");
    else
      Str(root, entry, L"", file, type);
    Dword(root, entry, L"Contexts", 0x10);
  }

  // Explorer bars: classes in one or both categories.
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring cls = kClasses + Clsid(3, i);
    Key(HKEY_LOCAL_MACHINE, cls, true);
    if (i % 13 != 0) Str(HKEY_LOCAL_MACHINE, cls, L"", AddonName(3, i));
    DWORD type = REG_SZ;
    const std::wstring file = FileFor(3, i, type);
    if (i % 4 == 0) {
      // A bar that shows a page through the browser's own library.
      Str(HKEY_LOCAL_MACHINE, cls + L"\\InProcServer32", L"", L"shdocvw.dll");
      Str(HKEY_LOCAL_MACHINE, cls + L"\\Instance\\InitPropertyBag", L"Url", file);
    } else {
      Str(HKEY_LOCAL_MACHINE, cls + L"\\InProcServer32", L"", file, type);
    }
    if (i % 3 != 2) Key(HKEY_LOCAL_MACHINE, cls + L"\\Implemented Categories\\" + kCatVertical, false);
    if (i % 3 != 1) Key(HKEY_LOCAL_MACHINE, cls + L"\\Implemented Categories\\" + kCatHorizontal, false);
  }

  // Browser helper objects: an entry and a class each.
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring clsid = Clsid(4, i);
    const std::wstring cls = kClasses + clsid;
    Key(HKEY_LOCAL_MACHINE, cls, true);
    Str(HKEY_LOCAL_MACHINE, cls, L"", AddonName(4, i) + L" Class");
    DWORD type = REG_SZ;
    Str(HKEY_LOCAL_MACHINE, cls + L"\\InProcServer32", L"", FileFor(4, i, type), type);
    const std::wstring entry = std::wstring(kBho) + L"\\" + clsid;
    Key(HKEY_LOCAL_MACHINE, entry, true);
    if (i % 7 != 0) Str(HKEY_LOCAL_MACHINE, entry, L"", AddonName(4, i));
    Dword(HKEY_LOCAL_MACHINE, entry, L"NoExplorer", 1);
  }
  BuildNewerKinds();
}

void SyntheticRegistry::Server(unsigned kind, std::size_t i, const std::wstring& clsid) {
  const std::wstring cls = kClasses + clsid;
  Key(HKEY_LOCAL_MACHINE, cls, true);
  if (i % 6 != 0) Str(HKEY_LOCAL_MACHINE, cls, L"", AddonName(kind, i));
  DWORD type = REG_SZ;
  Str(HKEY_LOCAL_MACHINE, cls + L"\\InProcServer32", L"", FileFor(kind, i, type), type);
}

void SyntheticRegistry::BuildNewerKinds() {
  const std::size_t n = shape_.addonsPerKind;
  // URL search hooks: values of the machine's or a user's list.
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring clsid = Clsid(5, i);
    if (i % 10 != 9) Server(5, i, clsid);
    HKEY root;
    std::wstring path;
    Location(i, kHooks, kHooks, root, path);
    Key(root, path, false);
    Str(root, path, clsid, L"");
    written_.push_back({root, path, clsid, true});
  }
  // Downloaded controls: a unit with its download address, and a class.
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring clsid = Clsid(6, i);
    Server(6, i, clsid);
    HKEY root;
    std::wstring list;
    Location(i, kUnits, kUnits, root, list);
    const std::wstring unit = list + L"\\" + clsid;
    Key(root, unit, true);
    if (i % 4 == 0) Str(root, unit, L"", AddonName(6, i));
    Str(root, unit + L"\\DownloadInformation", L"CODEBASE",
        L"https://downloads.example.invalid/" + std::to_wstring(i) + L"/control.cab");
    Dword(root, unit, L"SystemComponent", 0);
  }
  // Protocol handlers by scheme and filters by MIME type.
  for (std::size_t i = 0; i < n; ++i) {
    const std::wstring clsid = Clsid(7, i);
    if (i % 8 != 7) Server(7, i, clsid);
    HKEY root;
    std::wstring classes;
    Location(i, kProtocols, kProtocols, root, classes);
    const std::wstring entry = classes + (i % 3 == 2 ? L"\\Filter\\application/x-bench-" : L"\\Handler\\bench-") +
                               std::to_wstring(i);
    Key(root, entry, true);
    Str(root, entry, L"CLSID", clsid);
  }
  // Search providers, each user's first one the default.
  for (std::size_t i = 0; i < n; ++i) {
    HKEY root;
    std::wstring list;
    Location(i, kScopes, kScopes, root, list);
    const std::wstring clsid = Clsid(8, i);
    const std::wstring scope = list + L"\\" + clsid;
    Key(root, scope, true);
    const std::wstring bpbar = demoRoot_ + L"\\Brightpath\\bpbar.dll";
    Str(root, scope, L"DisplayName", i % 5 == 0 ? L"@" + bpbar + L",-101" : AddonName(8, i));
    Str(root, scope, L"URL", L"https://search.example.invalid/?q={searchTerms}&src=" + std::to_wstring(i));
    if (root == HKEY_USERS && i <= users_.size()) {
      Str(root, list, L"DefaultScope", clsid);
      written_.push_back({root, list, L"DefaultScope", true});
    }
  }
}

void SyntheticRegistry::Remove() {
  for (auto it = written_.rbegin(); it != written_.rend(); ++it) {
    if (it->isValue) {
      UniqueKey key;
      if (RegOpenKeyExW(it->root, it->path.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), it->value.c_str());
    } else {
      RegDeleteTreeW(it->root, it->path.c_str());
      RegDeleteKeyW(it->root, it->path.c_str());
    }
  }
  written_.clear();
  for (const auto& sid : madeUpUsers_) {
    RegDeleteTreeW(HKEY_USERS, sid.c_str());
    RegDeleteKeyW(HKEY_USERS, sid.c_str());
  }
}

}  // namespace bench
