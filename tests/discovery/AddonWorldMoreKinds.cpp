// The world's URL search hooks, ActiveX controls, protocol handlers and
// filters, and search providers: entries of the machine and of users,
// classes with and without names, missing classes and files, indirect
// names, and names holding NUL and line breaks (written through the
// native calls).
#include "discovery/AddonWorld.h"

#include <algorithm>

#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "support/HostileRegistry.h"
#include "support/TestSupport.h"

namespace qlmtest {

namespace {

constexpr std::size_t kOnMachine = 99;  // a place: the machine, else an index of the world's users

// A class-id-long name with a NUL and a line break inside.
std::wstring HostileClsidName() {
  std::wstring name = NewClsid();
  name[2] = L'\0';
  name[20] = L'\r';
  name[21] = L'\n';
  return name;
}

std::wstring Noname(const std::wstring& shown) { return shown.empty() ? LoadStr(IDS_NONAME) : shown; }

}  // namespace

void AddonWorld::AddUrlSearchHooks() {
  const auto& f = files_;
  const std::wstring path = discovery::Kind(TableId::kUrlSearchHooks).machinePath;
  struct Hook {
    std::size_t user;
    std::wstring clsid;
    const wchar_t* className;  // nullptr: no class key
    std::wstring file;         // server file as written; empty: none
    std::wstring shown, dll, infoFile;
  };
  const std::wstring missing = L"C:\\missing\\quillhook.dll";
  const std::wstring shared = NewClsid();
  const std::vector<Hook> hooks = {
      {kOnMachine, shared, L"Quill Search Hook", f.company, L"Quill Search Hook", f.company, f.company},
      {kOnMachine, NewClsid(), L"", f.german, L"fx_german.dll", f.german, f.german},
      {kOnMachine, NewClsid(), nullptr, L"", L"", L"", L""},
      {kOnMachine, NewClsid(), L"Lost Hook", missing, L"Lost Hook", missing, L""},
      {kOnMachine, HostileClsidName(), nullptr, L"", L"", L"", L""},
      {0, shared, L"Quill Search Hook", f.company, L"Quill Search Hook", f.company, f.company},
      {1, NewClsid(), L"Default Hook", f.fileOnly, L"Default Hook", f.fileOnly, f.fileOnly},
      {2, NewClsid(), L"System Hook", L"%QLM_FIXTURES%\\fx_nocompany.dll", L"System Hook", f.noCompany, f.noCompany},
  };
  for (const Hook& hook : hooks) {
    const bool machine = hook.user == kOnMachine;
    const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_USERS;
    const std::wstring location = machine ? path : userKeys_[hook.user] + L"\\" + path;
    reg_.CountedString(root, location, hook.clsid, L"");
    if (hook.className && (machine || hook.clsid != shared))
      AddClass(hook.clsid, *hook.className ? hook.className : nullptr, hook.file.empty() ? nullptr : hook.file.c_str());
    AddEntry(AddonKind::UrlSearchHook, root, location, hook.clsid,
             {{L"originalName", hook.shown}, {L"displayName", Noname(hook.shown)}, {L"dLL", hook.dll}},
             machine ? LoadStr(IDS_SCOPE_EVERYONE) : Scope(hook.user), hook.infoFile);
  }
  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  reg_.String(HKEY_LOCAL_MACHINE, path, notClsid, L"");
  never_[AddonKind::UrlSearchHook] = {notClsid};
}

void AddonWorld::AddActiveXControls() {
  const auto& f = files_;
  const std::wstring path = discovery::Kind(TableId::kActiveXControls).machinePath;
  struct Control {
    std::size_t user;
    std::wstring clsid;
    const wchar_t* className;  // nullptr: no class key; "": a class without a name
    std::wstring file;
    const wchar_t* unitName;   // the unit's default value; nullptr: none
    const wchar_t* codeBase;   // nullptr: no download information
    std::wstring shown, dll, infoFile;
  };
  const std::wstring missing = L"C:\\missing\\quill.ocx";
  const std::wstring shared = NewClsid();
  const std::vector<Control> controls = {
      {kOnMachine, shared, L"Quill Control", f.company, L"Unit Name Not Used", L"http://downloads.invalid/quill.cab",
       L"Quill Control", f.company, f.company},
      {kOnMachine, NewClsid(), L"", f.german, L"Quill Unit", L"\\\\host\\share\\never-opened.cab", L"Quill Unit",
       f.german, f.german},
      {kOnMachine, NewClsid(), nullptr, L"", nullptr, nullptr, L"", L"", L""},
      {kOnMachine, NewClsid(), L"", f.noVersion, nullptr, L"", L"fx_noversion.dll", f.noVersion, f.noVersion},
      {kOnMachine, NewClsid(), L"Lost Control", missing, nullptr, L"http://a.invalid/\r\n[HKEY_LOCAL_MACHINE\\Evil]",
       L"Lost Control", missing, L""},
      {kOnMachine, HostileClsidName(), nullptr, L"", L"Hostile\r\nUnit", nullptr, L"Hostile\r\nUnit", L"", L""},
      {0, shared, L"Quill Control", f.company, L"Unit Name Not Used", L"http://downloads.invalid/quill.cab",
       L"Quill Control", f.company, f.company},
      {2, NewClsid(), L"System Control", f.fileOnly, nullptr, L"https://downloads.invalid/sys.cab", L"System Control",
       f.fileOnly, f.fileOnly},
  };
  for (const Control& c : controls) {
    const bool machine = c.user == kOnMachine;
    const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_USERS;
    const std::wstring location = machine ? path : userKeys_[c.user] + L"\\" + path;
    UniqueKey key = reg_.Counted(root, location, c.clsid);
    if (c.unitName) hostile::SetString(key.get(), L"", c.unitName);
    if (c.codeBase) hostile::SetString(hostile::CreateKey(root, location + L"\\" + c.clsid, L"DownloadInformation").get(),
                                       L"CODEBASE", c.codeBase);
    if (c.className && (machine || c.clsid != shared))
      AddClass(c.clsid, *c.className ? c.className : nullptr, c.file.empty() ? nullptr : c.file.c_str());
    AddEntry(AddonKind::ActiveX, root, location, c.clsid,
             {{L"originalName", c.shown}, {L"displayName", Noname(c.shown)}, {L"dLL", c.dll},
              {L"codeBase", std::wstring(c.codeBase ? c.codeBase : L"")}},
             machine ? LoadStr(IDS_SCOPE_EVERYONE) : Scope(c.user), c.infoFile);
  }
  const std::wstring notClsid = L"QlmNotAClsid-" + Pid();
  reg_.String(HKEY_LOCAL_MACHINE, path + L"\\" + notClsid, L"", L"Not Listed");
  never_[AddonKind::ActiveX] = {notClsid};
}

void AddonWorld::AddProtocols() {
  const auto& f = files_;
  const std::wstring base = discovery::Kind(TableId::kProtocols).machinePath;
  struct Protocol {
    std::size_t user;
    const wchar_t* list;  // "Handler" or "Filter"
    std::wstring name;
    std::wstring clsid;   // the "CLSID" value; empty: none written
    std::wstring file;    // the class's server; empty: the class is not registered
    std::wstring dll, infoFile;
  };
  const std::wstring shared = NewClsid();
  const std::vector<Protocol> protocols = {
      {kOnMachine, L"Handler", L"quill-" + Pid(), shared, f.company, f.company, f.company},
      {kOnMachine, L"Handler", L"quill-unregistered-" + Pid(), NewClsid(), L"", L"", L""},
      {kOnMachine, L"Handler", L"quill-noclass-" + Pid(), L"", L"", L"", L""},
      {kOnMachine, L"Handler", L"quill\r\n" + std::wstring(1, L'\0') + L"-" + Pid(), NewClsid(), f.noVersion,
       f.noVersion, f.noVersion},
      {kOnMachine, L"Filter", L"text/x-quill-" + Pid(), NewClsid(), f.german, f.german, f.german},
      {0, L"Handler", L"quill-" + Pid(), shared, f.company, f.company, f.company},
      {1, L"Filter", L"application/x-quill-" + Pid(), NewClsid(), f.fileOnly, f.fileOnly, f.fileOnly},
      // A built-in scheme taken over with an add-on's class: listed, marked.
      {2, L"Handler", L"vbscript", NewClsid(), f.company, f.company, f.company},
  };
  for (const Protocol& p : protocols) {
    const bool machine = p.user == kOnMachine;
    const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_USERS;
    const std::wstring location = (machine ? base : userKeys_[p.user] + L"\\" + base) + L"\\" + p.list;
    UniqueKey key = reg_.Counted(root, location, p.name);
    if (!p.clsid.empty()) hostile::SetString(key.get(), L"CLSID", p.clsid);
    if (!p.file.empty() && (machine || p.clsid != shared)) AddClass(p.clsid, L"Protocol Class", p.file.c_str());
    AddEntry(AddonKind::Protocol, root, location, p.name,
             {{L"originalName", p.name}, {L"displayName", p.name}, {L"list", std::wstring(p.list)},
              {L"classId", p.clsid}, {L"dLL", p.dll}},
             machine ? LoadStr(IDS_SCOPE_EVERYONE) : Scope(p.user), p.infoFile);
    if (p.name == L"vbscript") {
      // Not the system's: said where the listing says it, after the scope.
      auto& values = entries_.back().record.values;
      const auto scope = std::find_if(values.begin(), values.end(), [](const auto& v) { return v.first == L"scope"; });
      values.insert(scope + 1, {L"system", 0});
    }
  }
  // The system's own: a handler served from the system folder.
  const std::wstring systemServed = L"quill-system-" + Pid(), systemClass = NewClsid();
  AddClass(systemClass, L"System Protocol", f.systemFile.c_str());
  reg_.String(HKEY_LOCAL_MACHINE, base + L"\\Handler\\" + systemServed, L"CLSID", systemClass);
  never_[AddonKind::Protocol] = {systemServed};
}

void AddonWorld::AddSearchProviders() {
  const auto& f = files_;
  const std::wstring path = discovery::Kind(TableId::kSearchProviders).machinePath;
  const std::wstring nonLatin = L"Schaltfl\u00E4che \u041A\u043D\u043E\u043F\u043A\u0430 \u6309\u94AE";
  const std::wstring missingFile = L"C:\\missing\\names.dll";
  struct Provider {
    std::size_t user;
    std::wstring id;
    const wchar_t* displayName;  // nullptr: none
    const wchar_t* url;          // nullptr: none
    bool isDefault;
    std::wstring shown, dll, infoFile;
    bool hasFile;
  };
  const std::wstring indirect = L"@" + f.strings + L",-101";
  const std::wstring missingIndirect = L"@" + missingFile + L",-5";
  const std::wstring indirectUser = L"@%QLM_FIXTURES%\\fx_strings.dll,-104";
  const std::wstring defaultOfDefault = NewClsid(), defaultOfSystem = NewClsid();
  const std::vector<Provider> providers = {
      {kOnMachine, NewClsid(), L"Quill Search", L"https://search.invalid/?q={searchTerms}", false, L"Quill Search", L"",
       L"", false},
      {kOnMachine, NewClsid(), indirect.c_str(), L"https://b.invalid/{searchTerms}", false, L"Fixture &Button",
       f.strings, f.strings, true},
      {kOnMachine, NewClsid(), nullptr, nullptr, false, L"", L"", L"", false},
      {kOnMachine, L"Quill\r\nHostile" + std::wstring(1, L'\0') + Pid(), L"Line\nBreak",
       L"javascript:alert(1)\r\n[HKEY_USERS]", false, L"Line\nBreak", L"", L"", false},
      {kOnMachine, NewClsid(), missingIndirect.c_str(), L"", false, missingIndirect, missingFile, L"", true},
      {0, NewClsid(), L"My Search", L"https://my.invalid/?q=", false, L"My Search", L"", L"", false},
      {1, defaultOfDefault, L"Default Search", L"https://d.invalid/", true, L"Default Search", L"", L"", false},
      {1, NewClsid(), L"Other Search", L"https://o.invalid/", false, L"Other Search", L"", L"", false},
      {2, defaultOfSystem, indirectUser.c_str(), L"https://s.invalid/", true, nonLatin, f.strings, f.strings, true},
  };
  for (const Provider& p : providers) {
    const bool machine = p.user == kOnMachine;
    const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_USERS;
    const std::wstring location = machine ? path : userKeys_[p.user] + L"\\" + path;
    UniqueKey key = reg_.Counted(root, location, p.id);
    if (p.displayName) hostile::SetString(key.get(), L"DisplayName", p.displayName);
    if (p.url) hostile::SetString(key.get(), L"URL", p.url);
    AddEntry(AddonKind::SearchProvider, root, location, p.id,
             {{L"originalName", p.shown}, {L"displayName", Noname(p.shown)},
              {L"url", std::wstring(p.url ? p.url : L"")}, {L"isDefault", p.isDefault ? 1 : 0}, {L"dLL", p.dll}},
             machine ? LoadStr(IDS_SCOPE_EVERYONE) : Scope(p.user), p.infoFile, p.hasFile);
  }
  // The default named in another letter case, as the browser accepts it.
  std::wstring lower = defaultOfDefault;
  for (auto& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
  reg_.String(HKEY_USERS, userKeys_[1] + L"\\" + path, L"DefaultScope", lower);
  reg_.String(HKEY_USERS, userKeys_[2] + L"\\" + path, L"DefaultScope", defaultOfSystem);
}

}  // namespace qlmtest
