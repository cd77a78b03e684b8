// The world's URL search hooks, ActiveX controls, protocol handlers and
// filters, and search providers: entries of the machine and of users,
// classes with and without names, missing classes and files, indirect
// names, and names holding NUL and line breaks (written through the
// native calls).
#include "discovery/AddonWorld.h"

#include "discovery/AddonKinds.h"
#include "support/HostileRegistry.h"
#include "support/TestSupport.h"

namespace qlmtest {

namespace {

constexpr std::int32_t kHklm = -2147483646;  // HKEY_LOCAL_MACHINE
constexpr std::int32_t kHku = -2147483645;   // HKEY_USERS
constexpr std::int32_t kNative = 64;

std::int32_t RootNumber(HKEY root) { return root == HKEY_LOCAL_MACHINE ? kHklm : kHku; }

// A class-id-long name with a NUL and a line break inside.
std::wstring HostileClsidName() {
  std::wstring name = NewClsid();
  name[2] = L'\0';
  name[20] = L'\r';
  name[21] = L'\n';
  return name;
}

std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

// The parent part and the last part of a key path.
std::pair<std::wstring, std::wstring> SplitPath(const std::wstring& path) {
  const auto slash = path.rfind(L'\\');
  return {path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

AddonWorld::HostileEntries::~HostileEntries() {
  for (auto it = made.rbegin(); it != made.rend(); ++it) {
    if (it->isKey) {
      hostile::DeleteTree(it->root, it->path, it->name);
    } else {
      hostile::DeleteValue(it->root, it->path, it->name);
    }
  }
}

void AddonWorld::AddEntry(AddonKind kind, HKEY root, const std::wstring& location, const std::wstring& name,
                          ExpectedRecord record) {
  record.values.emplace_back(L"view", kNative);
  entries_.push_back({kind, root, location, name, std::move(record)});
  ids_[kind].insert(name);
}

void AddonWorld::AddUrlSearchHooks() {
  const auto& f = files_;
  const std::wstring path = discovery::Kind(TableId::kUrlSearchHooks).machinePath;
  struct Hook {
    std::wstring clsid;
    const wchar_t* className;  // nullptr: no class key
    std::wstring file;         // server file as written; empty: none
    std::wstring shown, dll, infoFile;
  };
  const std::wstring missing = L"C:\\missing\\quillhook.dll";
  const std::wstring shared = NewClsid();
  const std::vector<Hook> machine = {
      {shared, L"Quill Search Hook", f.company, L"Quill Search Hook", f.company, f.company},
      {NewClsid(), L"", f.german, L"fx_german.dll", f.german, f.german},
      {NewClsid(), nullptr, L"", L"", L"", L""},
      {NewClsid(), L"Lost Hook", missing, L"Lost Hook", missing, L""},
      {HostileClsidName(), nullptr, L"", L"", L"", L""},
  };
  struct UserHook {
    std::size_t user;
    std::wstring scope;
    Hook hook;
  };
  const std::vector<UserHook> users = {
      {0, CurrentUserName(), machine[0]},
      {1, L"Default", {NewClsid(), L"Default Hook", f.fileOnly, L"Default Hook", f.fileOnly, f.fileOnly}},
      {2, L"SYSTEM",
       {NewClsid(), L"System Hook", L"%QLM_FIXTURES%\\fx_nocompany.dll", L"System Hook", f.noCompany, f.noCompany}},
  };
  auto add = [&](const Hook& hook, HKEY root, const std::wstring& location, const std::wstring& scope) {
    if (hook.clsid.find(L'\0') == std::wstring::npos) {
      reg_.String(root, location, hook.clsid, L"");
    } else {
      reg_.Key(root, location);
      const auto [parent, leaf] = SplitPath(location);
      hostile::SetString(hostile::CreateKey(root, parent, leaf).get(), hook.clsid, L"");
      hostile_.made.push_back({root, location, hook.clsid, false});
    }
    if (hook.className && (root == HKEY_LOCAL_MACHINE || hook.clsid != shared))
      AddClass(hook.clsid, *hook.className ? hook.className : nullptr, hook.file.empty() ? nullptr : hook.file.c_str());
    ExpectedRecord r{hook.clsid,
                     {{L"originalName", hook.shown},
                      {L"displayName", hook.shown.empty() ? std::wstring(L"(noname)") : hook.shown},
                      {L"dLL", hook.dll},
                      {L"key", RootNumber(root)},
                      {L"hive", location},
                      {L"scope", scope}}};
    FileInfo(r, hook.infoFile);
    AddEntry(AddonKind::UrlSearchHook, root, location, hook.clsid, r);
  };
  for (const auto& hook : machine) add(hook, HKEY_LOCAL_MACHINE, path, L"Everyone");
  for (const auto& u : users) add(u.hook, HKEY_USERS, userKeys_[u.user] + L"\\" + path, u.scope);

  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  reg_.String(HKEY_LOCAL_MACHINE, path, notClsid, L"");
  never_[AddonKind::UrlSearchHook] = {notClsid};
}

void AddonWorld::AddActiveXControls() {
  const auto& f = files_;
  const std::wstring path = discovery::Kind(TableId::kActiveXControls).machinePath;
  struct Control {
    std::wstring clsid;
    const wchar_t* className;  // nullptr: no class key; "": a class without a name
    std::wstring file;
    const wchar_t* unitName;   // the unit's default value; nullptr: none
    const wchar_t* codeBase;   // nullptr: no download information
    std::wstring shown, dll, infoFile;
  };
  const std::wstring missing = L"C:\\missing\\quill.ocx";
  const std::wstring shared = NewClsid();
  const std::vector<Control> machine = {
      {shared, L"Quill Control", f.company, L"Unit Name Not Used", L"http://downloads.invalid/quill.cab",
       L"Quill Control", f.company, f.company},
      {NewClsid(), L"", f.german, L"Quill Unit", L"\\\\host\\share\\never-opened.cab", L"Quill Unit", f.german,
       f.german},
      {NewClsid(), nullptr, L"", nullptr, nullptr, L"", L"", L""},
      {NewClsid(), L"", f.noVersion, nullptr, L"", L"fx_noversion.dll", f.noVersion, f.noVersion},
      {NewClsid(), L"Lost Control", missing, nullptr, L"http://a.invalid/\r\n[HKEY_LOCAL_MACHINE\\Evil]",
       L"Lost Control", missing, L""},
      {HostileClsidName(), nullptr, L"", L"Hostile\r\nUnit", nullptr, L"Hostile\r\nUnit", L"", L""},
  };
  struct UserControl {
    std::size_t user;
    std::wstring scope;
    Control control;
  };
  const std::vector<UserControl> users = {
      {0, CurrentUserName(), machine[0]},
      {2, L"SYSTEM",
       {NewClsid(), L"System Control", f.fileOnly, nullptr, L"https://downloads.invalid/sys.cab", L"System Control",
        f.fileOnly, f.fileOnly}},
  };
  auto add = [&](const Control& c, HKEY root, const std::wstring& location, const std::wstring& scope) {
    const std::wstring entry = location + L"\\" + c.clsid;
    if (c.clsid.find(L'\0') == std::wstring::npos) {
      reg_.Key(root, entry);
      if (c.unitName) reg_.String(root, entry, L"", c.unitName);
      if (c.codeBase) reg_.String(root, entry + L"\\DownloadInformation", L"CODEBASE", c.codeBase);
    } else {
      reg_.Key(root, location);
      UniqueKey key = hostile::CreateKey(root, location, c.clsid);
      hostile_.made.push_back({root, location, c.clsid, true});
      if (c.unitName) hostile::SetString(key.get(), L"", c.unitName);
    }
    if (c.className && (root == HKEY_LOCAL_MACHINE || c.clsid != shared))
      AddClass(c.clsid, *c.className ? c.className : nullptr, c.file.empty() ? nullptr : c.file.c_str());
    ExpectedRecord r{c.clsid,
                     {{L"originalName", c.shown},
                      {L"displayName", c.shown.empty() ? std::wstring(L"(noname)") : c.shown},
                      {L"dLL", c.dll},
                      {L"codeBase", std::wstring(c.codeBase ? c.codeBase : L"")},
                      {L"key", RootNumber(root)},
                      {L"hive", location},
                      {L"scope", scope}}};
    FileInfo(r, c.infoFile);
    AddEntry(AddonKind::ActiveX, root, location, c.clsid, r);
  };
  for (const auto& c : machine) add(c, HKEY_LOCAL_MACHINE, path, L"Everyone");
  for (const auto& u : users) add(u.control, HKEY_USERS, userKeys_[u.user] + L"\\" + path, u.scope);

  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  reg_.String(HKEY_LOCAL_MACHINE, path + L"\\" + notClsid, L"", L"Not Listed");
  never_[AddonKind::ActiveX] = {notClsid};
}

void AddonWorld::AddProtocols() {
  const auto& f = files_;
  const std::wstring base = discovery::Kind(TableId::kProtocols).machinePath;
  const std::wstring pid = Pid();
  struct Protocol {
    const wchar_t* list;  // "Handler" or "Filter"
    std::wstring name;
    std::wstring clsid;   // the "CLSID" value; empty: none written
    std::wstring file;    // the class's server; empty: the class is not registered
    std::wstring dll, infoFile;
  };
  const std::wstring shared = NewClsid();
  const std::vector<Protocol> machine = {
      {L"Handler", L"quill-" + pid, shared, f.company, f.company, f.company},
      {L"Handler", L"quill-unregistered-" + pid, NewClsid(), L"", L"", L""},
      {L"Handler", L"quill-noclass-" + pid, L"", L"", L"", L""},
      {L"Handler", L"quill\r\n" + std::wstring(1, L'\0') + L"-" + pid, NewClsid(), f.noVersion, f.noVersion,
       f.noVersion},
      {L"Filter", L"text/x-quill-" + pid, NewClsid(), f.german, f.german, f.german},
  };
  struct UserProtocol {
    std::size_t user;
    std::wstring scope;
    Protocol protocol;
  };
  const std::vector<UserProtocol> users = {
      {0, CurrentUserName(), machine[0]},
      {1, L"Default", {L"Filter", L"application/x-quill-" + pid, NewClsid(), f.fileOnly, f.fileOnly, f.fileOnly}},
      // A built-in scheme taken over with an add-on's class: listed, marked.
      {2, L"SYSTEM", {L"Handler", L"vbscript", NewClsid(), f.company, f.company, f.company}},
  };
  auto add = [&](const Protocol& p, HKEY root, const std::wstring& classes, const std::wstring& scope) {
    const std::wstring location = classes + L"\\" + p.list;
    if (p.name.find(L'\0') == std::wstring::npos) {
      reg_.Key(root, location + L"\\" + p.name);
      if (!p.clsid.empty()) reg_.String(root, location + L"\\" + p.name, L"CLSID", p.clsid);
    } else {
      reg_.Key(root, location);
      UniqueKey key = hostile::CreateKey(root, location, p.name);
      hostile_.made.push_back({root, location, p.name, true});
      hostile::SetString(key.get(), L"CLSID", p.clsid);
    }
    if (!p.file.empty() && (root == HKEY_LOCAL_MACHINE || p.clsid != shared))
      AddClass(p.clsid, L"Protocol Class", p.file.c_str());
    ExpectedRecord r{p.name,
                     {{L"originalName", p.name},
                      {L"displayName", p.name},
                      {L"list", std::wstring(p.list)},
                      {L"classId", p.clsid},
                      {L"dLL", p.dll},
                      {L"key", RootNumber(root)},
                      {L"hive", location},
                      {L"scope", scope}}};
    if (p.name == L"vbscript") r.values.emplace_back(L"system", 0);
    FileInfo(r, p.infoFile);
    AddEntry(AddonKind::Protocol, root, location, p.name, r);
  };
  for (const auto& p : machine) add(p, HKEY_LOCAL_MACHINE, base, L"Everyone");
  for (const auto& u : users) add(u.protocol, HKEY_USERS, userKeys_[u.user] + L"\\" + base, u.scope);

  // The system's own: a handler served from the system folder.
  const std::wstring systemServed = L"quill-system-" + pid, systemClass = NewClsid();
  AddClass(systemClass, L"System Protocol", f.systemFile.c_str());
  reg_.String(HKEY_LOCAL_MACHINE, base + L"\\Handler\\" + systemServed, L"CLSID", systemClass);
  never_[AddonKind::Protocol] = {systemServed};
  hiddenSystem_ = {systemServed};
}

void AddonWorld::AddSearchProviders() {
  const auto& f = files_;
  const std::wstring path = discovery::Kind(TableId::kSearchProviders).machinePath;
  const std::wstring nonLatin = L"Schaltfl\u00E4che \u041A\u043D\u043E\u043F\u043A\u0430 \u6309\u94AE";
  const std::wstring missingFile = L"C:\\missing\\names.dll";
  struct Provider {
    std::wstring id;
    const wchar_t* displayName;  // nullptr: none
    const wchar_t* url;          // nullptr: none
    bool isDefault;
    std::wstring shown, dll, infoFile;
    bool hasFile;
  };
  const std::wstring indirect = L"@" + f.strings + L",-101";
  const std::wstring missingIndirect = L"@" + missingFile + L",-5";
  const std::vector<Provider> machine = {
      {NewClsid(), L"Quill Search", L"https://search.invalid/?q={searchTerms}", false, L"Quill Search", L"", L"",
       false},
      {NewClsid(), indirect.c_str(), L"https://b.invalid/{searchTerms}", false, L"Fixture &Button", f.strings,
       f.strings, true},
      {NewClsid(), nullptr, nullptr, false, L"", L"", L"", false},
      {L"Quill\r\nHostile" + std::wstring(1, L'\0') + Pid(), L"Line\nBreak", L"javascript:alert(1)\r\n[HKEY_USERS]",
       false, L"Line\nBreak", L"", L"", false},
      {NewClsid(), missingIndirect.c_str(), L"", false, missingIndirect, missingFile, L"", true},
  };
  const std::wstring indirectUser = L"@%QLM_FIXTURES%\\fx_strings.dll,-104";
  struct UserProvider {
    std::size_t user;
    std::wstring scope;
    Provider provider;
  };
  const std::wstring defaultOfDefault = NewClsid(), defaultOfSystem = NewClsid();
  const std::vector<UserProvider> users = {
      {0, CurrentUserName(), {NewClsid(), L"My Search", L"https://my.invalid/?q=", false, L"My Search", L"", L"", false}},
      {1, L"Default",
       {defaultOfDefault, L"Default Search", L"https://d.invalid/", true, L"Default Search", L"", L"", false}},
      {1, L"Default", {NewClsid(), L"Other Search", L"https://o.invalid/", false, L"Other Search", L"", L"", false}},
      {2, L"SYSTEM",
       {defaultOfSystem, indirectUser.c_str(), L"https://s.invalid/", true, nonLatin, f.strings, f.strings, true}},
  };
  auto add = [&](const Provider& p, HKEY root, const std::wstring& location, const std::wstring& scope) {
    const std::wstring entry = location + L"\\" + p.id;
    if (p.id.find(L'\0') == std::wstring::npos) {
      reg_.Key(root, entry);
      if (p.displayName) reg_.String(root, entry, L"DisplayName", p.displayName);
      if (p.url) reg_.String(root, entry, L"URL", p.url);
    } else {
      reg_.Key(root, location);
      UniqueKey key = hostile::CreateKey(root, location, p.id);
      hostile_.made.push_back({root, location, p.id, true});
      if (p.displayName) hostile::SetString(key.get(), L"DisplayName", p.displayName);
      if (p.url) hostile::SetString(key.get(), L"URL", p.url);
    }
    ExpectedRecord r{p.id,
                     {{L"originalName", p.shown},
                      {L"displayName", p.shown.empty() ? std::wstring(L"(noname)") : p.shown},
                      {L"url", std::wstring(p.url ? p.url : L"")},
                      {L"isDefault", p.isDefault ? 1 : 0},
                      {L"dLL", p.dll},
                      {L"key", RootNumber(root)},
                      {L"hive", location},
                      {L"scope", scope}}};
    if (p.hasFile) FileInfo(r, p.infoFile);
    AddEntry(AddonKind::SearchProvider, root, location, p.id, r);
  };
  for (const auto& p : machine) add(p, HKEY_LOCAL_MACHINE, path, L"Everyone");
  for (const auto& u : users) add(u.provider, HKEY_USERS, userKeys_[u.user] + L"\\" + path, u.scope);
  // The default named in another letter case, as the browser accepts it.
  std::wstring lower = defaultOfDefault;
  for (auto& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
  reg_.String(HKEY_USERS, userKeys_[1] + L"\\" + path, L"DefaultScope", lower);
  reg_.String(HKEY_USERS, userKeys_[2] + L"\\" + path, L"DefaultScope", defaultOfSystem);
}

}  // namespace qlmtest
