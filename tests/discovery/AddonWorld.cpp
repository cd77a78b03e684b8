#include "discovery/AddonWorld.h"

#include "discovery/AddonKinds.h"

#include <sddl.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

namespace qlmtest {

namespace {

constexpr std::int32_t kHklm = -2147483646;  // HKEY_LOCAL_MACHINE, 0x80000002
constexpr std::int32_t kHku = -2147483645;   // HKEY_USERS, 0x80000003
constexpr std::int32_t kNative = 64;         // "view" of the world's entries

using discovery::Kind;
const std::wstring kTbMachine = Kind(TableId::kToolbars).machinePath;
const std::wstring kTbUser = std::wstring(L"\\") + Kind(TableId::kToolbars).userPath;
const std::wstring kBtPath = Kind(TableId::kButtons).machinePath;
const std::wstring kCmPath = Kind(TableId::kMenuExtensions).machinePath;
const std::wstring kBhoPath = Kind(TableId::kHelperObjects).machinePath;
const std::wstring kClasses = L"Software\\Classes\\CLSID\\";
const std::wstring kCat93 = Kind(TableId::kExplorerBars).categories[0];
const std::wstring kCat94 = Kind(TableId::kExplorerBars).categories[1];

std::wstring Upper(std::wstring text) {
  for (auto& ch : text)
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - 32);
  return text;
}

std::vector<std::wstring> EnumNames(HKEY root, const std::wstring& path, bool values) {
  std::vector<std::wstring> names;
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t buf[16384];
    DWORD len = 16384;
    const LONG rc = values ? RegEnumValueW(key.get(), i, buf, &len, nullptr, nullptr, nullptr, nullptr)
                           : RegEnumKeyExW(key.get(), i, buf, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buf, len);
  }
  return names;
}

std::wstring ShortPath(const std::wstring& path) {
  wchar_t buf[2048] = {};
  const DWORD n = GetShortPathNameW(path.c_str(), buf, 2048);
  if (n == 0 || n >= 2048) throw std::runtime_error("no short path for " + Narrow(path));
  return std::wstring(buf, n);
}

std::wstring ValueText(const ParamValue& value) {
  if (const auto* n = std::get_if<std::int32_t>(&value)) return L"#" + std::to_wstring(*n);
  return L"\"" + std::get<std::wstring>(value) + L"\"";
}

// A CLSID-long name that is no CLSID.
std::wstring OddClsidLengthName() {
  std::wstring name = NewClsid();
  std::replace(name.begin(), name.end(), L'-', L'_');
  return name;
}

}  // namespace

std::wstring Describe(const ExpectedRecord& record) {
  std::wstring text = L"[" + record.id + L"]";
  for (const auto& [key, value] : record.values) text += L" " + key + L"=" + ValueText(value);
  return text;
}

ExpectedRecord FromNode(const CResultNode& node) {
  ExpectedRecord record{node.ID, {}};
  for (std::size_t i = 1; i <= node.params.Count(); ++i) {
    const CParam* p = node.params.At(i);
    record.values.emplace_back(p->Key(), p->Values(1));
  }
  return record;
}

FixtureFiles::FixtureFiles() {
  folder = FixtureFolder();
  company = folder + L"\\fx_company.dll";
  german = folder + L"\\fx_german.dll";
  fileOnly = folder + L"\\fx_fileonly.dll";
  noCompany = folder + L"\\fx_nocompany.dll";
  noVersion = folder + L"\\fx_noversion.dll";
  strings = folder + L"\\fx_strings.dll";
  wchar_t buf[MAX_PATH] = {};
  GetSystemDirectoryW(buf, MAX_PATH);
  systemFile = std::wstring(buf) + L"\\shdocvw.dll";
}

std::wstring CurrentUserSidText() {
  UniqueKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  std::vector<unsigned char> buf(1024);
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenUser, buf.data(), static_cast<DWORD>(buf.size()), &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &text)) return {};
  UniqueLocal owner(text);
  return text;
}

std::wstring CurrentUserName() {
  wchar_t buf[256] = {};
  DWORD n = 256;
  GetUserNameW(buf, &n);
  return buf;
}

void AddonWorld::AddClass(const std::wstring& clsid, const wchar_t* name, const wchar_t* file, DWORD fileType) {
  const std::wstring key = kClasses + clsid;
  reg_.Key(HKEY_LOCAL_MACHINE, key);
  if (name) reg_.String(HKEY_LOCAL_MACHINE, key, L"", name);
  if (file) reg_.String(HKEY_LOCAL_MACHINE, key + L"\\InProcServer32", L"", file, fileType);
}

void AddonWorld::FileInfo(ExpectedRecord& record, const std::wstring& file) const {
  std::wstring maker, version;
  if (file == files_.company) {
    maker = L"Fixture Makers Ltd", version = L"3.1";
  } else if (file == files_.german) {
    maker = L"Beispiel GmbH", version = L"2.0";
  } else if (file == files_.fileOnly) {
    version = L"1.2.3";
  } else if (file == files_.noCompany) {
    version = L"5.0";
  } else if (file == files_.strings) {
    maker = L"Indirect Strings Inc", version = L"7.0";
  } else if (file == files_.systemFile) {
    // The system's own file: whatever its version resource says.
    const auto strings = CUtilities::GetVersionStrings(file);
    maker = strings.Item(L"CompanyName");
    version = strings.Exists(L"ProductVersion") ? strings.Item(L"ProductVersion") : strings.Item(L"FileVersion");
  }
  if (!maker.empty()) record.values.emplace_back(L"manufacturer", maker);
  record.values.emplace_back(L"version", version);
}

AddonWorld::AddonWorld() {
  SetEnvironmentVariableW(kFolderVariable, files_.folder.c_str());
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring me = CurrentUserSidText();
  if (me.empty()) throw std::runtime_error("no SID for the current user");
  userKeys_ = {me, L".Default", L"S-1-5-18", L"S-1-5-21-1111-2222-3333-4444", L"s-1-5-32-544", L"QlmTestHive-" + pid};
  AddToolbars();
  AddButtons();
  AddMenuExts();
  AddExplorerBars();
  AddBhos();
  AddUrlSearchHooks();
  AddActiveXControls();
  AddProtocols();
  AddSearchProviders();
}

void AddonWorld::AddToolbars() {
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  struct Tb {
    std::wstring clsid;
    const wchar_t* name;      // class name; nullptr: no class key
    std::wstring file;        // server file as written
    DWORD fileType;
    std::wstring original;    // cleaned name
    std::wstring dll;         // expected "dLL"
    std::wstring infoFile;    // file whose version details are expected
  };
  const auto& f = files_;
  const std::wstring shared = NewClsid();  // entered for the machine and a user
  const std::vector<Tb> machine = {
      {shared, L"&Fixture Toolbar ", f.company, REG_SZ, L"Fixture Toolbar", f.company, f.company},
      {NewClsid(), L"Fixture Toolbar", ShortPath(f.german), REG_SZ, L"Fixture Toolbar", f.german, f.german},
      {NewClsid(), nullptr, L"", REG_SZ, L"", L"", L""},
      {NewClsid(), L"Lookalike Bar", L"C:\\nowhere\\myshell32.dll", REG_SZ, L"Lookalike Bar",
       L"C:\\nowhere\\myshell32.dll", L""},
      {NewClsid(), L"&&&", f.noVersion, REG_SZ, L"", f.noVersion, f.noVersion},
      {NewClsid(), L"Prefixed Bar", L"\\??\\" + f.company, REG_SZ, L"Prefixed Bar", f.company, f.company},
      {NewClsid(), L"Variable Bar", L"%QLM_FIXTURES%\\fx_fileonly.dll", REG_EXPAND_SZ, L"Variable Bar", f.fileOnly,
       f.fileOnly},
      {NewClsid(), L"System Bar", L"shdocvw.dll", REG_SZ, L"System Bar", f.systemFile, f.systemFile},
      {OddClsidLengthName(), nullptr, L"", REG_SZ, L"", L"", L""},
  };
  struct UserTb {
    std::wstring userKey;
    std::wstring scope;
    Tb tb;
  };
  const std::vector<UserTb> users = {
      {userKeys_[0], CurrentUserName(), machine[0]},
      {userKeys_[1], L"Default", {NewClsid(), L"Default Bar", f.german, REG_SZ, L"Default Bar", f.german, f.german}},
      {userKeys_[2], L"SYSTEM",
       {NewClsid(), L"System Account Bar", f.fileOnly, REG_SZ, L"System Account Bar", f.fileOnly, f.fileOnly}},
      {userKeys_[3], L"",
       {NewClsid(), L"Unknown Sid Bar", f.noCompany, REG_SZ, L"Unknown Sid Bar", f.noCompany, f.noCompany}},
      {userKeys_[4], L"",
       {NewClsid(), L"Lower Case Bar", f.company, REG_SZ, L"Lower Case Bar", f.company, f.company}},
      {userKeys_[5], L"",
       {NewClsid(), L"Plain Hive Bar", f.noVersion, REG_SZ, L"Plain Hive Bar", f.noVersion, f.noVersion}},
  };

  auto add = [&](const Tb& tb, HKEY root, const std::wstring& path, const std::wstring& scope) {
    reg_.String(root, path, tb.clsid, L"");
    if (tb.name && (root == HKEY_LOCAL_MACHINE || tb.clsid != shared)) {
      AddClass(tb.clsid, tb.name, tb.file.empty() ? nullptr : tb.file.c_str(), tb.fileType);
    }
    ExpectedRecord r{tb.clsid,
                     {{L"originalName", tb.original},
                      {L"displayName", tb.original.empty() ? std::wstring(L"(noname)") : tb.original},
                      {L"dLL", tb.dll},
                      {L"key", root == HKEY_LOCAL_MACHINE ? kHklm : kHku},
                      {L"hive", path},
                      {L"scope", scope}}};
    FileInfo(r, tb.infoFile);
    r.values.emplace_back(L"view", kNative);
    entries_.push_back({AddonKind::Toolbar, root, path, tb.clsid, r, !tb.original.empty()});
    ids_[AddonKind::Toolbar].insert(tb.clsid);
  };
  for (const auto& tb : machine) add(tb, HKEY_LOCAL_MACHINE, kTbMachine, L"Everyone");
  for (const auto& u : users) add(u.tb, HKEY_USERS, u.userKey + kTbUser, u.scope);

  // Built in, or not a toolbar at all.
  const std::wstring builtIn = NewClsid();
  AddClass(builtIn, L"Shell Bar", L"C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL");
  reg_.String(HKEY_LOCAL_MACHINE, kTbMachine, builtIn, L"");
  const std::wstring notClsid = L"QlmNotAClsid-" + pid;
  const std::wstring shortName = NewClsid().substr(0, 37);
  const std::wstring longName = NewClsid() + L"x";
  for (const auto& name : {notClsid, shortName, longName}) {
    AddClass(name, L"Not A Toolbar", f.company.c_str());
    reg_.String(HKEY_LOCAL_MACHINE, kTbMachine, name, L"");
  }
  never_[AddonKind::Toolbar] = {builtIn, notClsid, shortName, longName};
}

void AddonWorld::AddButtons() {
  const auto& f = files_;
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  struct Bt {
    std::wstring clsid;
    std::vector<std::pair<std::wstring, std::wstring>> values;  // written to the entry key
    std::wstring button, menu, display, original, dll;
    bool hasFile;
    std::wstring infoFile;
  };
  const std::wstring classForButton = NewClsid();
  AddClass(classForButton, nullptr, f.noCompany.c_str());
  const std::wstring longText =
      L"A long button text that runs past two hundred and fifty-six characters, so that a reader with a fixed "
      L"buffer of that size would cut it short; the program must give it back whole, every word of it, up to this "
      L"very end of the sentence, which is here: the end.";
  const std::wstring nonLatin = L"Schaltfl\u00E4che \u041A\u043D\u043E\u043F\u043A\u0430 \u6309\u94AE";
  const std::wstring missingNumber = L"@" + f.strings + L",-999";
  const std::wstring shared = NewClsid();
  const std::vector<Bt> machine = {
      {shared,
       {{L"buttontext", L"@" + f.strings + L",-101"},
        {L"menutext", L"Fixture Menu"},
        {L"script", L"res://" + f.company + L"/page.htm"}},
       L"Fixture Button", L"Fixture Menu", L"Fixture Button", L"Fixture Button Fixture Menu", f.company, true,
       f.company},
      {NewClsid(),
       {{L"menutext", L"&Tools Entry"}, {L"exec", L"\"" + f.german + L"\" /arg"}},
       L"", L"Tools Entry", L"Tools Entry", L" Tools Entry", f.german, true, f.german},
      {NewClsid(),
       {{L"buttontext", L"Class Button"}, {L"ClsidExtension", classForButton}},
       L"Class Button", L"", L"Class Button", L"Class Button ", f.noCompany, true, f.noCompany},
      {NewClsid(), {}, L"", L"", L"(noname)", L"", L"", false, L""},
      {NewClsid(),
       {{L"buttontext", L"@%QLM_FIXTURES%\\fx_strings.dll,-104"},
        {L"menutext", missingNumber},
        {L"script", ShortPath(f.fileOnly)}},
       nonLatin, missingNumber, nonLatin, nonLatin + L" " + missingNumber, f.fileOnly, true, f.fileOnly},
      {NewClsid(),
       {{L"buttontext", L"@" + f.strings + L",-103"},
        {L"menutext", L"@" + f.strings + L",-103"},
        {L"exec", L"\\??\\" + f.noVersion}},
       longText, longText, longText, longText, f.noVersion, true, f.noVersion},
      {NewClsid(),
       {{L"buttontext", L"Same"}, {L"menutext", L"Sa&me"}, {L"script", L"res://"}},
       L"Same", L"Same", L"Same", L"Same", L"", false, L""},
  };
  struct UserBt {
    std::wstring userKey, scope;
    Bt bt;
  };
  const std::vector<UserBt> users = {
      {userKeys_[0], CurrentUserName(), machine[0]},
      {userKeys_[1], L"Default",
       {NewClsid(),
        {{L"buttontext", L"Default Button"}, {L"exec", L"\\??\\" + f.german}},
        L"Default Button", L"", L"Default Button", L"Default Button ", f.german, true, f.german}},
      {userKeys_[2], L"SYSTEM",
       {NewClsid(),
        {{L"menutext", L"System Menu"}, {L"script", L"res://shdocvw.dll/about.htm"}},
        L"", L"System Menu", L"System Menu", L" System Menu", f.systemFile, true, f.systemFile}},
  };

  auto add = [&](const Bt& bt, HKEY root, const std::wstring& path, const std::wstring& scope) {
    const std::wstring entry = path + L"\\" + bt.clsid;
    reg_.Key(root, entry);
    for (const auto& [name, value] : bt.values) reg_.String(root, entry, name, value);
    ExpectedRecord r{bt.clsid,
                     {{L"buttontext", bt.button},
                      {L"menutext", bt.menu},
                      {L"displayName", bt.display},
                      {L"originalName", bt.original},
                      {L"dLL", bt.dll},
                      {L"key", root == HKEY_LOCAL_MACHINE ? kHklm : kHku},
                      {L"hive", path},
                      {L"scope", scope}}};
    if (bt.hasFile) FileInfo(r, bt.infoFile);
    r.values.emplace_back(L"view", kNative);
    entries_.push_back({AddonKind::Button, root, path, bt.clsid, r});
    ids_[AddonKind::Button].insert(bt.clsid);
  };
  for (const auto& bt : machine) add(bt, HKEY_LOCAL_MACHINE, kBtPath, L"Everyone");
  for (const auto& u : users) add(u.bt, HKEY_USERS, u.userKey + L"\\" + kBtPath, u.scope);

  const std::wstring notClsid = L"QlmNotAClsid-" + pid;
  reg_.String(HKEY_LOCAL_MACHINE, kBtPath + L"\\" + notClsid, L"buttontext", L"Not Listed");
  never_[AddonKind::Button] = {notClsid};
}

void AddonWorld::AddMenuExts() {
  const auto& f = files_;
  struct Cm {
    std::wstring name;
    const wchar_t* address;  // nullptr: no default value
    std::wstring cleaned, dll, infoFile;
  };
  const std::wstring missingPage = L"C:\\missing\\page.htm";
  const std::wstring fileAddress = L"file://" + f.german;
  const std::wstring resAddress = L"res://" + f.company + L"/search.htm";
  const std::wstring shortAddress = L"file://" + ShortPath(f.company);
  const std::wstring missingAddress = L"file://" + missingPage;
  const std::wstring nonLatin = L"\u041F\u043E\u0438\u0441\u043A \u691C\u7D22";
  const std::vector<Cm> machine = {
      {L"&Fixture Search", resAddress.c_str(), L"Fixture Search", f.company, f.company},
      {L"Fixture File Item", fileAddress.c_str(), L"Fixture File Item", f.german, f.german},
      {L"Fixture Other", L"javascript:void(0)", L"Fixture Other", L"javascript:void(0)", L""},
      {L"&&", nullptr, L"", L"", L""},
      {L"Fixture \"Quoted\", Item", L"res://shdocvw.dll/x.htm", L"Fixture \"Quoted\", Item", f.systemFile,
       f.systemFile},
      {nonLatin, shortAddress.c_str(), nonLatin, f.company, f.company},
  };
  struct UserCm {
    std::wstring userKey, scope;
    Cm cm;
  };
  const std::vector<UserCm> users = {
      {userKeys_[0], CurrentUserName(), machine[0]},
      {userKeys_[2], L"SYSTEM",
       {L"System Item", L"res://shdocvw.dll/sys.htm", L"System Item", f.systemFile, f.systemFile}},
      {userKeys_[5], L"", {L"Plain Hive Item", missingAddress.c_str(), L"Plain Hive Item", missingPage, L""}},
  };
  auto add = [&](const Cm& cm, HKEY root, const std::wstring& path, const std::wstring& scope) {
    const std::wstring entry = path + L"\\" + cm.name;
    reg_.Key(root, entry);
    if (cm.address) reg_.String(root, entry, L"", cm.address);
    ExpectedRecord r{cm.name,
                     {{L"name", cm.cleaned},
                      {L"originalName", cm.cleaned},
                      {L"displayName", cm.cleaned},
                      {L"dLL", cm.dll},
                      {L"key", root == HKEY_LOCAL_MACHINE ? kHklm : kHku},
                      {L"hive", path},
                      {L"scope", scope}}};
    FileInfo(r, cm.infoFile);
    r.values.emplace_back(L"view", kNative);
    entries_.push_back({AddonKind::MenuExt, root, path, cm.name, r});
    ids_[AddonKind::MenuExt].insert(cm.name);
  };
  for (const auto& cm : machine) add(cm, HKEY_LOCAL_MACHINE, kCmPath, L"Everyone");
  for (const auto& u : users) add(u.cm, HKEY_USERS, u.userKey + L"\\" + kCmPath, u.scope);
}

void AddonWorld::AddExplorerBars() {
  const auto& f = files_;
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  struct Eb {
    std::wstring clsid;  // key name as written
    std::vector<std::wstring> categories;
    const wchar_t* name;
    std::wstring file;
    const wchar_t* url;
    std::wstring shown, dll, infoFile;
  };
  std::wstring lower = NewClsid();
  for (auto& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
  const std::vector<Eb> bars = {
      {NewClsid(), {kCat93}, L"Fixture &Bar", f.company, nullptr, L"Fixture Bar", f.company, f.company},
      {NewClsid(), {kCat93, kCat94}, nullptr, f.german, nullptr, L"Beispielleiste", f.german, f.german},
      {NewClsid(), {kCat94}, L"Web Bar", L"shdocvw.dll", f.fileOnly.c_str(), L"Web Bar", f.fileOnly, f.fileOnly},
      {NewClsid(), {kCat93}, L"", L"C:\\windows\\system32\\SHDOCVW.DLL", nullptr, L"(noname)", L"", L""},
      {lower, {kCat93}, L"Lower Bar", f.noCompany, nullptr, L"Lower Bar", f.noCompany, f.noCompany},
      {NewClsid(), {kCat94}, nullptr, f.noVersion, nullptr, L"fx_noversion.dll", f.noVersion, f.noVersion},
      {NewClsid(), {kCat93}, L"&&", f.company, nullptr, L"", f.company, f.company},
  };
  for (const auto& bar : bars) {
    const std::wstring key = kClasses + bar.clsid;
    AddClass(bar.clsid, bar.name, bar.file.c_str());
    if (bar.url) reg_.String(HKEY_LOCAL_MACHINE, key + L"\\Instance\\InitPropertyBag", L"Url", bar.url);
    for (const auto& cat : bar.categories) {
      reg_.Key(HKEY_LOCAL_MACHINE, key + L"\\Implemented Categories\\" + cat);
      ExpectedRecord r{Upper(bar.clsid),
                       {{L"Name", bar.shown},
                        {L"originalName", bar.shown},
                        {L"displayName", bar.shown},
                        {L"dLL", bar.dll},
                        {L"cATID", cat},
                        {L"scope", L"Everyone"}}};
      FileInfo(r, bar.infoFile);
      r.values.emplace_back(L"view", kNative);
      entries_.push_back({AddonKind::ExplorerBar, HKEY_CLASSES_ROOT, cat, bar.clsid, r});
    }
    ids_[AddonKind::ExplorerBar].insert(Upper(bar.clsid));
  }
  // The browser's own bar (found in lower case) and a key that is no CLSID.
  const std::wstring builtIn = L"{efa24e61-b078-11d0-89e4-00c04fc9e26e}";
  const std::wstring notClsid = L"QlmNotAClsid-" + pid;
  for (const auto& id : {builtIn, notClsid}) {
    AddClass(id, L"Not Listed", f.company.c_str());
    reg_.Key(HKEY_LOCAL_MACHINE, kClasses + id + L"\\Implemented Categories\\" + kCat93);
  }
  never_[AddonKind::ExplorerBar] = {Upper(builtIn), Upper(notClsid), notClsid};
}

void AddonWorld::AddBhos() {
  const auto& f = files_;
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  struct Bho {
    std::wstring clsid;
    const wchar_t* name;  // default value of the entry; nullptr: none
    std::wstring file;    // server file; empty: no class
    std::wstring shown, dll, infoFile;
  };
  const std::vector<Bho> helpers = {
      {NewClsid(), L"Fixture &Helper", f.company, L"Fixture Helper", f.company, f.company},
      {NewClsid(), nullptr, f.german, L"Beispielleiste", f.german, f.german},
      {NewClsid(), L"Fixture Helper", L"", L"Fixture Helper", L"", L""},
      {NewClsid(), nullptr, L"", L"(noname)", L"", L""},
      {NewClsid(), nullptr, f.noVersion, L"fx_noversion.dll", f.noVersion, f.noVersion},
      {NewClsid(), nullptr, L"%QLM_FIXTURES%\\fx_fileonly.dll", L"fx_fileonly.dll", f.fileOnly, f.fileOnly},
  };
  for (const auto& bho : helpers) {
    const std::wstring entry = kBhoPath + L"\\" + bho.clsid;
    reg_.Key(HKEY_LOCAL_MACHINE, entry);
    if (bho.name) reg_.String(HKEY_LOCAL_MACHINE, entry, L"", bho.name);
    if (!bho.file.empty()) AddClass(bho.clsid, L"Class Name Not Used", bho.file.c_str());
    ExpectedRecord r{bho.clsid,
                     {{L"originalName", bho.shown},
                      {L"displayName", bho.shown},
                      {L"Name", bho.shown},
                      {L"dLL", bho.dll},
                      {L"scope", L"Everyone"}}};
    FileInfo(r, bho.infoFile);
    r.values.emplace_back(L"view", kNative);
    entries_.push_back({AddonKind::Bho, HKEY_LOCAL_MACHINE, kBhoPath, bho.clsid, r});
    ids_[AddonKind::Bho].insert(bho.clsid);
  }
  const std::wstring notClsid = L"QlmNotAClsid-" + pid;
  reg_.String(HKEY_LOCAL_MACHINE, kBhoPath + L"\\" + notClsid, L"", L"Not Listed");
  never_[AddonKind::Bho] = {notClsid};
}

std::vector<ExpectedRecord> AddonWorld::Expected(AddonKind kind) const {
  // The places discovery reads, in its order; entries in the registry's
  // order within each.
  struct Place {
    HKEY root;
    std::wstring enumPath;  // key whose names are enumerated
    bool values;
    std::wstring location;  // Entry::location to match
  };
  std::vector<Place> places;
  auto addWalk = [&](const std::wstring& machine, const std::wstring& user, bool values) {
    places.push_back({HKEY_LOCAL_MACHINE, machine, values, machine});
    for (const auto& u : EnumNames(HKEY_USERS, L"", false)) places.push_back({HKEY_USERS, u + user, values, u + user});
  };
  switch (kind) {
    case AddonKind::Toolbar:
      addWalk(kTbMachine, kTbUser, true);
      break;
    case AddonKind::Button:
      addWalk(kBtPath, L"\\" + kBtPath, false);
      break;
    case AddonKind::MenuExt:
      addWalk(kCmPath, L"\\" + kCmPath, false);
      break;
    case AddonKind::ExplorerBar:
      places.push_back({HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", false, kCat93});
      places.push_back({HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", false, kCat94});
      break;
    case AddonKind::Bho:
      places.push_back({HKEY_LOCAL_MACHINE, kBhoPath, false, kBhoPath});
      break;
    case AddonKind::UrlSearchHook:
    case AddonKind::ActiveX:
    case AddonKind::SearchProvider: {
      const auto& k = Kind(static_cast<std::int32_t>(kind));
      addWalk(k.machinePath, std::wstring(L"\\") + k.userPath, k.entriesAreValues);
      break;
    }
    case AddonKind::Protocol: {
      // Per location the handlers, then the filters.
      const std::wstring base = Kind(TableId::kProtocols).machinePath;
      std::vector<std::wstring> locations = {base};
      for (const auto& u : EnumNames(HKEY_USERS, L"", false)) locations.push_back(u + L"\\" + base);
      for (std::size_t i = 0; i < locations.size(); ++i) {
        for (const wchar_t* list : {L"\\Handler", L"\\Filter"})
          places.push_back({i == 0 ? HKEY_LOCAL_MACHINE : HKEY_USERS, locations[i] + list, false, locations[i] + list});
      }
      break;
    }
  }

  std::vector<ExpectedRecord> out;
  std::vector<bool> numbered;
  for (const auto& place : places) {
    for (const auto& name : EnumNames(place.root, place.enumPath, place.values)) {
      for (const auto& e : entries_) {
        if (e.kind != kind || e.name != name || Upper(e.location) != Upper(place.location)) continue;
        if (kind != AddonKind::ExplorerBar && e.root != place.root) continue;
        out.push_back(e.record);
        numbered.push_back(e.numbered);
      }
    }
  }
  // Toolbar names: the first of a name keeps it, repeats are numbered.
  std::map<std::wstring, int> seen;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (!numbered[i]) continue;
    auto& display = std::get<std::wstring>(out[i].values[1].second);
    const int n = ++seen[display];
    if (n > 1) display += L" (" + std::to_wstring(n) + L")";
  }
  return out;
}

std::vector<ExpectedRecord> AddonWorld::Filter(AddonKind kind, const CResultNodes& list) const {
  std::vector<ExpectedRecord> out;
  for (std::size_t i = 1; i <= list.Count(); ++i)
    if (ids_.count(kind) && ids_.at(kind).count(list.Item(i)->ID)) out.push_back(FromNode(*list.Item(i)));
  return out;
}

}  // namespace qlmtest
