#include "discovery/AddonWorld.h"

#include <sddl.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

namespace qlmtest {

namespace {

constexpr std::int32_t kHklm = -2147483646;  // HKEY_LOCAL_MACHINE, 0x80000002
constexpr std::int32_t kHku = -2147483645;   // HKEY_USERS, 0x80000003

using discovery::Kind;
const std::wstring kTbMachine = Kind(TableId::kToolbars).machinePath;
const std::wstring kTbUser = std::wstring(L"\\") + Kind(TableId::kToolbars).userPath;
const std::wstring kBtPath = Kind(TableId::kButtons).machinePath;
const std::wstring kCmPath = Kind(TableId::kMenuExtensions).machinePath;
const std::wstring kBhoPath = Kind(TableId::kHelperObjects).machinePath;
const std::wstring kClasses = L"Software\\Classes\\CLSID\\";
const std::wstring kCat93 = Kind(TableId::kExplorerBars).categories[0];
const std::wstring kCat94 = Kind(TableId::kExplorerBars).categories[1];

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

void AddonWorld::AddEntry(AddonKind kind, HKEY root, const std::wstring& location, const std::wstring& name,
                          Values values, const std::wstring& scope, const std::wstring& infoFile, bool fileInfo,
                          bool numbered) {
  ExpectedRecord record{kind == AddonKind::ExplorerBar ? Upper(name) : name, std::move(values)};
  if (kind != AddonKind::ExplorerBar && kind != AddonKind::Bho) {
    record.values.emplace_back(L"key", root == HKEY_LOCAL_MACHINE ? kHklm : kHku);
    record.values.emplace_back(L"hive", location);
  }
  record.values.emplace_back(L"scope", scope);
  if (fileInfo) FileInfo(record, infoFile);
  record.values.emplace_back(L"view", 64);
  ids_[kind].insert(record.id);
  entries_.push_back({kind, root, location, name, std::move(record), numbered});
}

std::wstring AddonWorld::Scope(std::size_t user) const {
  const std::wstring scopes[] = {CurrentUserName(), LoadStr(IDS_SCOPE_DEFAULT), L"SYSTEM"};
  return user < 3 ? scopes[user] : L"";
}

AddonWorld::AddonWorld() {
  SetEnvironmentVariableW(kFolderVariable, files_.folder.c_str());
  const std::wstring me = CurrentUserSidText();
  if (me.empty()) throw std::runtime_error("no SID for the current user");
  userKeys_ = {me, L".Default", L"S-1-5-18", L"S-1-5-21-1111-2222-3333-4444", L"s-1-5-32-544", L"QlmTestHive-" + Pid()};
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
  const std::vector<Tb> users = {
      machine[0],
      {NewClsid(), L"Default Bar", f.german, REG_SZ, L"Default Bar", f.german, f.german},
      {NewClsid(), L"System Account Bar", f.fileOnly, REG_SZ, L"System Account Bar", f.fileOnly, f.fileOnly},
      {NewClsid(), L"Unknown Sid Bar", f.noCompany, REG_SZ, L"Unknown Sid Bar", f.noCompany, f.noCompany},
      {NewClsid(), L"Lower Case Bar", f.company, REG_SZ, L"Lower Case Bar", f.company, f.company},
      {NewClsid(), L"Plain Hive Bar", f.noVersion, REG_SZ, L"Plain Hive Bar", f.noVersion, f.noVersion},
  };
  auto add = [&](const Tb& tb, HKEY root, const std::wstring& path, const std::wstring& scope) {
    reg_.String(root, path, tb.clsid, L"");
    if (tb.name && (root == HKEY_LOCAL_MACHINE || tb.clsid != shared))
      AddClass(tb.clsid, tb.name, tb.file.empty() ? nullptr : tb.file.c_str(), tb.fileType);
    const std::wstring shown = tb.original.empty() ? LoadStr(IDS_NONAME) : tb.original;
    AddEntry(AddonKind::Toolbar, root, path, tb.clsid, {{L"originalName", tb.original}, {L"displayName", shown},
             {L"dLL", tb.dll}}, scope, tb.infoFile, true, !tb.original.empty());
  };
  for (const auto& tb : machine) add(tb, HKEY_LOCAL_MACHINE, kTbMachine, LoadStr(IDS_SCOPE_EVERYONE));
  for (std::size_t u = 0; u < users.size(); ++u) add(users[u], HKEY_USERS, userKeys_[u] + kTbUser, Scope(u));

  // Built in, or not a toolbar at all.
  const std::wstring builtIn = NewClsid();
  AddClass(builtIn, L"Shell Bar", L"C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL");
  reg_.String(HKEY_LOCAL_MACHINE, kTbMachine, builtIn, L"");
  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  const std::wstring shortName = NewClsid().substr(0, 37);
  const std::wstring longName = NewClsid() + L"x";
  for (const auto& name : {notClsid, shortName, longName}) {
    AddClass(name, L"Not A Toolbar", files_.company.c_str());
    reg_.String(HKEY_LOCAL_MACHINE, kTbMachine, name, L"");
  }
  never_[AddonKind::Toolbar] = {builtIn, notClsid, shortName, longName};
}

void AddonWorld::AddButtons() {
  const auto& f = files_;
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
  const std::vector<Bt> machine = {
      {NewClsid(),
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
      {NewClsid(), {}, L"", L"", LoadStr(IDS_NONAME), L"", L"", false, L""},
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
  const std::vector<Bt> users = {
      machine[0],
      {NewClsid(),
       {{L"buttontext", L"Default Button"}, {L"exec", L"\\??\\" + f.german}},
       L"Default Button", L"", L"Default Button", L"Default Button ", f.german, true, f.german},
      {NewClsid(),
       {{L"menutext", L"System Menu"}, {L"script", L"res://shdocvw.dll/about.htm"}},
       L"", L"System Menu", L"System Menu", L" System Menu", f.systemFile, true, f.systemFile},
  };
  auto add = [&](const Bt& bt, HKEY root, const std::wstring& path, const std::wstring& scope) {
    const std::wstring entry = path + L"\\" + bt.clsid;
    reg_.Key(root, entry);
    for (const auto& [name, value] : bt.values) reg_.String(root, entry, name, value);
    AddEntry(AddonKind::Button, root, path, bt.clsid,
             {{L"buttontext", bt.button}, {L"menutext", bt.menu}, {L"displayName", bt.display},
              {L"originalName", bt.original}, {L"dLL", bt.dll}}, scope, bt.infoFile, bt.hasFile);
  };
  for (const auto& bt : machine) add(bt, HKEY_LOCAL_MACHINE, kBtPath, LoadStr(IDS_SCOPE_EVERYONE));
  for (std::size_t u = 0; u < users.size(); ++u) add(users[u], HKEY_USERS, userKeys_[u] + L"\\" + kBtPath, Scope(u));

  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  reg_.String(HKEY_LOCAL_MACHINE, kBtPath + L"\\" + notClsid, L"buttontext", L"Not Listed");
  never_[AddonKind::Button] = {notClsid};
}

void AddonWorld::AddMenuExts() {
  const auto& f = files_;
  struct Cm {
    std::size_t user;  // where: an index of userKeys_, or the machine
    std::wstring name;
    const wchar_t* address;  // nullptr: no default value
    std::wstring cleaned, dll, infoFile;
  };
  const std::size_t kOnMachine = 99;
  const std::wstring missingPage = L"C:\\missing\\page.htm";
  const std::wstring fileAddress = L"file://" + f.german;
  const std::wstring resAddress = L"res://" + f.company + L"/search.htm";
  const std::wstring shortAddress = L"file://" + ShortPath(f.company);
  const std::wstring missingAddress = L"file://" + missingPage;
  const std::wstring nonLatin = L"\u041F\u043E\u0438\u0441\u043A \u691C\u7D22";
  const std::vector<Cm> items = {
      {kOnMachine, L"&Fixture Search", resAddress.c_str(), L"Fixture Search", f.company, f.company},
      {kOnMachine, L"Fixture File Item", fileAddress.c_str(), L"Fixture File Item", f.german, f.german},
      {kOnMachine, L"Fixture Other", L"javascript:void(0)", L"Fixture Other", L"javascript:void(0)", L""},
      {kOnMachine, L"&&", nullptr, L"", L"", L""},
      {kOnMachine, L"Fixture \"Quoted\", Item", L"res://shdocvw.dll/x.htm", L"Fixture \"Quoted\", Item", f.systemFile,
       f.systemFile},
      {kOnMachine, nonLatin, shortAddress.c_str(), nonLatin, f.company, f.company},
      {0, L"&Fixture Search", resAddress.c_str(), L"Fixture Search", f.company, f.company},
      {2, L"System Item", L"res://shdocvw.dll/sys.htm", L"System Item", f.systemFile, f.systemFile},
      {5, L"Plain Hive Item", missingAddress.c_str(), L"Plain Hive Item", missingPage, L""},
  };
  for (const Cm& cm : items) {
    const bool machine = cm.user == kOnMachine;
    const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_USERS;
    const std::wstring path = machine ? kCmPath : userKeys_[cm.user] + L"\\" + kCmPath;
    reg_.Key(root, path + L"\\" + cm.name);
    if (cm.address) reg_.String(root, path + L"\\" + cm.name, L"", cm.address);
    AddEntry(AddonKind::MenuExt, root, path, cm.name,
             {{L"name", cm.cleaned}, {L"originalName", cm.cleaned}, {L"displayName", cm.cleaned}, {L"dLL", cm.dll}},
             machine ? LoadStr(IDS_SCOPE_EVERYONE) : Scope(cm.user), cm.infoFile);
  }
}

void AddonWorld::AddExplorerBars() {
  const auto& f = files_;
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
      {NewClsid(), {kCat93}, L"", L"C:\\windows\\system32\\SHDOCVW.DLL", nullptr, LoadStr(IDS_NONAME), L"", L""},
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
      AddEntry(AddonKind::ExplorerBar, HKEY_CLASSES_ROOT, cat, bar.clsid,
               {{L"Name", bar.shown}, {L"originalName", bar.shown}, {L"displayName", bar.shown}, {L"dLL", bar.dll},
                {L"cATID", cat}}, LoadStr(IDS_SCOPE_EVERYONE_MACHINE), bar.infoFile);
    }
  }
  // The browser's own bar (found in lower case) and a key that is no CLSID.
  const std::wstring builtIn = L"{efa24e61-b078-11d0-89e4-00c04fc9e26e}";
  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  for (const auto& id : {builtIn, notClsid}) {
    AddClass(id, L"Not Listed", f.company.c_str());
    reg_.Key(HKEY_LOCAL_MACHINE, kClasses + id + L"\\Implemented Categories\\" + kCat93);
  }
  never_[AddonKind::ExplorerBar] = {Upper(builtIn), Upper(notClsid), notClsid};
}

void AddonWorld::AddBhos() {
  const auto& f = files_;
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
      {NewClsid(), nullptr, L"", LoadStr(IDS_NONAME), L"", L""},
      {NewClsid(), nullptr, f.noVersion, L"fx_noversion.dll", f.noVersion, f.noVersion},
      {NewClsid(), nullptr, L"%QLM_FIXTURES%\\fx_fileonly.dll", L"fx_fileonly.dll", f.fileOnly, f.fileOnly},
  };
  for (const auto& bho : helpers) {
    const std::wstring entry = kBhoPath + L"\\" + bho.clsid;
    reg_.Key(HKEY_LOCAL_MACHINE, entry);
    if (bho.name) reg_.String(HKEY_LOCAL_MACHINE, entry, L"", bho.name);
    if (!bho.file.empty()) AddClass(bho.clsid, L"Class Name Not Used", bho.file.c_str());
    AddEntry(AddonKind::Bho, HKEY_LOCAL_MACHINE, kBhoPath, bho.clsid,
             {{L"originalName", bho.shown}, {L"displayName", bho.shown}, {L"Name", bho.shown}, {L"dLL", bho.dll}},
             LoadStr(IDS_SCOPE_EVERYONE_MACHINE), bho.infoFile);
  }
  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
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
  const auto& k = Kind(static_cast<std::int32_t>(kind));
  if (kind == AddonKind::ExplorerBar) {
    for (const auto& cat : {kCat93, kCat94}) places.push_back({HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", false, cat});
  } else {
    // Per location the protocol handlers, then the filters.
    const std::vector<std::wstring> lists =
        kind == AddonKind::Protocol ? std::vector<std::wstring>{L"\\Handler", L"\\Filter"} : std::vector<std::wstring>{L""};
    auto addWalk = [&](HKEY root, const std::wstring& path) {
      for (const auto& list : lists) places.push_back({root, path + list, k.entriesAreValues, path + list});
    };
    addWalk(HKEY_LOCAL_MACHINE, k.machinePath);
    if (*k.userPath)
      for (const auto& u : EnumNames(HKEY_USERS, L"", false)) addWalk(HKEY_USERS, u + L"\\" + k.userPath);
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
