// The tables of URL search hooks, ActiveX controls, protocol handlers and
// search providers over entries with hostile names (NUL, line breaks, a
// link): the rows show the names made visible, the details carry the
// kind's own rows, and a deletion takes exactly the one entry, compared
// over whole areas walked without following links.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "TableTestKit.h"
#include "discovery/AddonKinds.h"
#include "support/HostileRegistry.h"
#include "ui/tables/ProtocolTable.h"
#include "ui/tables/TableControlBase.h"

using namespace tabletest;
using qlmtest::Narrow;

namespace {

const std::wstring kDefaultUser = L".DEFAULT\\";
const std::wstring kHklm = L"HKEY_LOCAL_MACHINE\\";
const std::wstring kHku = L"HKEY_USERS\\";

std::wstring Path(std::int32_t kind) { return discovery::Kind(kind).machinePath; }
std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The machine's and the default user's areas of the four kinds, keys
// named in upper case (key names ignore case).
hostile::Snapshot Areas() {
  hostile::Snapshot all;
  for (const std::int32_t kind : {TableId::kUrlSearchHooks, TableId::kActiveXControls, TableId::kProtocols,
                                  TableId::kSearchProviders}) {
    for (auto& [key, lines] : hostile::TakeSnapshot(HKEY_LOCAL_MACHINE, Path(kind))) all[Upper(key)] = lines;
    for (auto& [key, lines] : hostile::TakeSnapshot(HKEY_USERS, kDefaultUser + Path(kind))) all[Upper(key)] = lines;
  }
  return all;
}

hostile::Snapshot KeyRemoved(hostile::Snapshot snapshot, const std::wstring& key) {
  const std::wstring gone = Upper(key);
  std::erase_if(snapshot, [&](const auto& entry) {
    return entry.first == gone || entry.first.rfind(gone + L"\\", 0) == 0;
  });
  return snapshot;
}

hostile::Snapshot ValueRemoved(hostile::Snapshot snapshot, const std::wstring& key, const std::wstring& name) {
  auto& lines = snapshot[Upper(key)];
  std::erase_if(lines, [&](const std::wstring& line) { return line.rfind(name + L"=", 0) == 0; });
  return snapshot;
}

// Entries only the native calls can make, removed at the end without
// following links.
struct HostileKeys {
  struct Made {
    HKEY root;
    std::wstring path, name;
    bool isKey;
  };
  std::vector<Made> made;
  UniqueKey Key(HKEY root, const std::wstring& path, const std::wstring& name) {
    made.push_back({root, path, name, true});
    return hostile::CreateKey(root, path, name);
  }
  void Value(HKEY root, const std::wstring& path, const std::wstring& name) {
    const auto slash = path.rfind(L'\\');
    hostile::SetString(hostile::CreateKey(root, path.substr(0, slash), path.substr(slash + 1)).get(), name, L"");
    made.push_back({root, path, name, false});
  }
  ~HostileKeys() {
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
      if (it->isKey) {
        hostile::DeleteTree(it->root, it->path, it->name);
      } else {
        hostile::DeleteValue(it->root, it->path, it->name);
      }
    }
  }
};

// A class-id-long name with a line break and a NUL inside.
std::wstring HostileClsid() {
  std::wstring name = qlmtest::NewClsid();
  name[1] = L'\r';
  name[2] = L'\n';
  name[3] = L'\0';
  return name;
}

struct Deletion {
  std::int32_t kind;
  std::wstring target, rowText, name, title;
  std::vector<std::wstring> details;  // of the target's row
  std::function<hostile::Snapshot(const hostile::Snapshot&)> expected;
};

// Asks, deletes on Yes, tells, and the areas lose exactly the entry.
void DeleteRow(const Deletion& d) {
  SCOPED_TRACE(d.kind);
  TableRig rig(d.kind);
  const int row = rig.RowOf(d.target);
  ASSERT_GE(row, 0);
  EXPECT_EQ(rig.Text(row), d.rowText);
  rig.Select(row);
  EXPECT_EQ(rig.Details(), d.details);
  const hostile::Snapshot before = Areas();
  const int rows = rig.Rows();
  DialogAnswerer answers({L"Yes", L"OK"});
  rig.table().Remove();
  const auto seen = answers.Finish();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, d.title);
  EXPECT_NE(seen[0].texts.find(L"Are you sure you want to delete " + d.name + L"?"), std::wstring::npos)
      << Narrow(seen[0].texts);
  EXPECT_NE(seen[1].texts.find(d.name + L" deleted successfully."), std::wstring::npos) << Narrow(seen[1].texts);
  EXPECT_EQ(Areas(), d.expected(before));
  EXPECT_EQ(rig.Rows(), rows - 1);
  EXPECT_LT(rig.RowOf(d.target), 0);
}

}  // namespace

TEST(UiTablesMoreKinds, EachNewerKindShowsAndDeletesExactlyItsHostileEntry) {
  Addons addons;
  HostileKeys hostileKeys;
  auto& reg = addons.Reg();
  const std::wstring file = CompanyFile();
  auto cls = [&](const std::wstring& clsid, const std::wstring& name) {
    reg.String(HKEY_LOCAL_MACHINE, kClasses + clsid, L"", name);
    reg.String(HKEY_LOCAL_MACHINE, kClasses + clsid + L"\\InProcServer32", L"", file);
  };
  const std::vector<std::wstring> fileRows = {L"File=" + file, L"Manufacturer=" + kCompany};

  // URL search hooks: a value named with NUL and a line break for the
  // default user, a plain one for the machine that stays.
  const std::wstring hooks = Path(TableId::kUrlSearchHooks);
  const std::wstring hookStays = qlmtest::NewClsid(), hookGoes = HostileClsid();
  reg.String(HKEY_LOCAL_MACHINE, hooks, hookStays, L"");
  cls(hookStays, L"Quill Hook");
  reg.Key(HKEY_USERS, kDefaultUser + hooks);
  hostileKeys.Value(HKEY_USERS, kDefaultUser + hooks, hookGoes);

  // ActiveX controls: a unit named with a line break and NUL whose own
  // name has a line break, and a unit that is a link to a victim key.
  const std::wstring units = Path(TableId::kActiveXControls);
  const std::wstring unitGoes = HostileClsid(), unitLink = qlmtest::NewClsid(), unitStays = qlmtest::NewClsid();
  reg.Key(HKEY_LOCAL_MACHINE, units);
  {
    UniqueKey key = hostileKeys.Key(HKEY_LOCAL_MACHINE, units, unitGoes);
    hostile::SetString(key.get(), L"", L"Quill\r\nUnit");
  }
  reg.String(HKEY_LOCAL_MACHINE, units + L"\\" + unitStays + L"\\DownloadInformation", L"CODEBASE",
             L"http://a.invalid/x.cab\r\n[HKEY_LOCAL_MACHINE\\Evil]");
  cls(unitStays, L"Quill Control");
  qlmtest::ScratchKey victim(HKEY_CURRENT_USER, L"ActiveXVictim");
  qlmtest::SetString(HKEY_CURRENT_USER, victim.Sub(L"DownloadInformation"), L"CODEBASE", L"victim");
  hostileKeys.made.push_back({HKEY_LOCAL_MACHINE, units, unitLink, true});
  hostile::CreateLink(HKEY_LOCAL_MACHINE, units, unitLink, hostile::KernelPath(HKEY_CURRENT_USER, victim.Path()));
  const hostile::Snapshot victimBefore = hostile::TakeSnapshot(HKEY_CURRENT_USER, victim.Path());

  // Protocols: a default user's handler named with a line break and NUL.
  const std::wstring handlers = kDefaultUser + Path(TableId::kProtocols) + L"\\Handler";
  const std::wstring schemeGoes = L"quill\r\n" + std::wstring(1, L'\0') + L"evil-" + Pid();
  const std::wstring schemeStays = L"quill-stays-" + Pid(), schemeClass = qlmtest::NewClsid();
  reg.Key(HKEY_USERS, handlers);
  {
    UniqueKey key = hostileKeys.Key(HKEY_USERS, handlers, schemeGoes);
    hostile::SetString(key.get(), L"CLSID", schemeClass);
  }
  reg.String(HKEY_USERS, handlers + L"\\" + schemeStays, L"CLSID", schemeClass);
  cls(schemeClass, L"Quill Protocol");

  // Search providers: a key named with NUL, its address with a line break.
  const std::wstring scopes = Path(TableId::kSearchProviders);
  const std::wstring providerGoes = L"Quill" + std::wstring(1, L'\0') + L"Scope-" + Pid();
  const std::wstring providerStays = qlmtest::NewClsid();
  reg.Key(HKEY_LOCAL_MACHINE, scopes);
  {
    UniqueKey key = hostileKeys.Key(HKEY_LOCAL_MACHINE, scopes, providerGoes);
    hostile::SetString(key.get(), L"DisplayName", L"Quill Scope");
    hostile::SetString(key.get(), L"URL", L"javascript:x\r\n");
  }
  reg.String(HKEY_LOCAL_MACHINE, scopes + L"\\" + providerStays, L"DisplayName", L"Quill Stays");

  auto keyGone = [](const std::wstring& key) {
    return [key](const hostile::Snapshot& s) { return KeyRemoved(s, key); };
  };
  const std::vector<Deletion> deletions = {
      {TableId::kUrlSearchHooks, hookGoes, L"(noname)", L"(noname) URL search hook", L"Delete URL Search Hook",
       {L"File=URL search hook is improperly installed or configured", L"Affected users=Default",
        L"Architecture=64-bit", L"State=n/a", L"Signature=Not checked (no file)"},
       [&](const hostile::Snapshot& s) { return ValueRemoved(s, kHku + kDefaultUser + hooks, hookGoes); }},
      {TableId::kActiveXControls, unitGoes, L"Quill^M^JUnit", L"Quill^M^JUnit ActiveX control",
       L"Delete ActiveX Control",
       {L"File=ActiveX control is improperly installed or configured", L"Affected users=Everyone",
        L"Architecture=64-bit", L"State=n/a", L"Signature=Not checked (no file)"},
       keyGone(kHklm + units + L"\\" + unitGoes)},
      {TableId::kActiveXControls, unitLink, L"(noname)", L"(noname) ActiveX control", L"Delete ActiveX Control",
       {L"File=ActiveX control is improperly installed or configured", L"Affected users=Everyone",
        L"Download address=victim", L"Architecture=64-bit", L"State=n/a", L"Signature=Not checked (no file)"},
       keyGone(kHklm + units + L"\\" + unitLink)},
      {TableId::kProtocols, schemeGoes, L"quill^M^J^@evil-" + Pid(), L"quill^M^J^@evil-" + Pid() + L" protocol handler",
       L"Delete Protocol Handler",
       {fileRows[0], fileRows[1], L"Affected users=Default", L"Registered as=Protocol handler (scheme)",
        L"Architecture=64-bit", L"State=n/a", L"Signature=Not signed"},
       keyGone(kHku + handlers + L"\\" + schemeGoes)},
      {TableId::kSearchProviders, providerGoes, L"Quill Scope", L"Quill Scope search provider",
       L"Delete Search Provider",
       {L"File=The search provider names no file", L"Affected users=Everyone", L"Search address=javascript:x^M^J",
        L"Default provider=No", L"Architecture=64-bit", L"State=n/a", L"Signature=n/a"},
       keyGone(kHklm + scopes + L"\\" + providerGoes)},
  };
  for (const auto& d : deletions) DeleteRow(d);

  // What stays: the other entries, and the link's victim, whole.
  EXPECT_EQ(hostile::TakeSnapshot(HKEY_CURRENT_USER, victim.Path()), victimBefore);
  const std::pair<std::int32_t, std::wstring> stays[] = {{TableId::kUrlSearchHooks, hookStays},
                                                         {TableId::kActiveXControls, unitStays},
                                                         {TableId::kProtocols, schemeStays},
                                                         {TableId::kSearchProviders, providerStays}};
  for (const auto& [kind, id] : stays) {
    TableRig rig(kind);
    const int row = rig.RowOf(id);
    ASSERT_GE(row, 0) << kind;
    if (kind == TableId::kActiveXControls) {
      rig.Select(row);
      // The address is shown made visible: it can add no line of its own.
      EXPECT_EQ(rig.Details(), (std::vector<std::wstring>{
                                   fileRows[0], fileRows[1], L"Affected users=Everyone",
                                   L"Download address=http://a.invalid/x.cab^M^J[HKEY_LOCAL_MACHINE\\Evil]",
                                   L"Architecture=64-bit", L"State=n/a", L"Signature=Not signed"}));
    }
  }
}

// Deleting the provider a user's "DefaultScope" names says so first and
// clears that value; deleting another leaves it.
TEST(UiTablesMoreKinds, DeletingTheDefaultProviderClearsTheDefault) {
  Addons addons;
  auto& reg = addons.Reg();
  const std::wstring scopes = kDefaultUser + Path(TableId::kSearchProviders);
  const std::wstring chosen = qlmtest::NewClsid(), other = qlmtest::NewClsid();
  reg.String(HKEY_USERS, scopes + L"\\" + chosen, L"DisplayName", L"Quill Default");
  reg.String(HKEY_USERS, scopes + L"\\" + chosen, L"URL", L"https://d.invalid/?q={searchTerms}");
  reg.String(HKEY_USERS, scopes + L"\\" + other, L"DisplayName", L"Quill Other");
  std::wstring lower = chosen;
  CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  reg.String(HKEY_USERS, scopes, L"DefaultScope", lower);

  DeleteRow({TableId::kSearchProviders, other, L"Quill Other", L"Quill Other search provider",
             L"Delete Search Provider",
             {L"File=The search provider names no file", L"Affected users=Default", L"Search address=",
              L"Default provider=No", L"Architecture=64-bit", L"State=n/a", L"Signature=n/a"},
             [&](const hostile::Snapshot& s) { return KeyRemoved(s, kHku + scopes + L"\\" + other); }});
  ASSERT_TRUE(qlmtest::KeyPresent(HKEY_USERS, scopes));

  TableRig rig(TableId::kSearchProviders);
  const int row = rig.RowOf(chosen);
  ASSERT_GE(row, 0);
  rig.Select(row);
  EXPECT_EQ(rig.Details(), (std::vector<std::wstring>{L"File=The search provider names no file",
                                                      L"Affected users=Default",
                                                      L"Search address=https://d.invalid/?q={searchTerms}",
                                                      L"Default provider=Yes", L"Architecture=64-bit",
                                                      L"State=n/a", L"Signature=n/a"}));
  const hostile::Snapshot before = Areas();
  DialogAnswerer answers({L"Yes", L"OK"});
  rig.table().Remove();
  const auto seen = answers.Finish();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_NE(seen[0].texts.find(L"Are you sure you want to delete Quill Default search provider? It is the default "
                               L"search provider: the default setting is cleared as well."),
            std::wstring::npos)
      << Narrow(seen[0].texts);
  EXPECT_EQ(Areas(), ValueRemoved(KeyRemoved(before, kHku + scopes + L"\\" + chosen), kHku + scopes, L"DefaultScope"));
}

// F7 in the protocol list shows the system's own handlers, marked in the
// details, and hides them again; the caption says which way F7 turns it. A
// built-in scheme's name on an add-on's class is listed either way.
TEST(UiTablesMoreKinds, F7ShowsAndHidesTheSystemsOwnHandlers) {
  Addons addons;
  auto& reg = addons.Reg();
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring systemFile = std::wstring(system) + L"\\urlmon.dll";
  const std::wstring handlers = Path(TableId::kProtocols) + L"\\Handler\\";
  const std::wstring own = L"quill-own-" + Pid(), builtIn = L"quill-system-" + Pid();
  const std::wstring ownClass = qlmtest::NewClsid(), systemClass = qlmtest::NewClsid();
  reg.String(HKEY_LOCAL_MACHINE, handlers + own, L"CLSID", ownClass);
  reg.String(HKEY_LOCAL_MACHINE, kClasses + ownClass + L"\\InProcServer32", L"", CompanyFile());
  reg.String(HKEY_LOCAL_MACHINE, handlers + builtIn, L"CLSID", systemClass);
  reg.String(HKEY_LOCAL_MACHINE, kClasses + systemClass + L"\\InProcServer32", L"", systemFile);
  // A built-in scheme that a user's classes hand to an add-on's class.
  reg.String(HKEY_USERS, kDefaultUser + handlers + L"javascript", L"CLSID", ownClass);

  TableRig rig(TableId::kProtocols);
  auto& table = static_cast<ProtocolTable&>(rig.table());
  const std::wstring caption = L"Protocol Handlers and Filters - ";
  EXPECT_EQ(table.Caption().Text(), caption + L"Show the system's own handlers (F7)");
  EXPECT_GE(rig.RowOf(own), 0);
  EXPECT_LT(rig.RowOf(builtIn), 0);
  EXPECT_LT(rig.RowOf(L"http"), 0);
  const int hijack = rig.RowOf(L"javascript");
  ASSERT_GE(hijack, 0);
  rig.Select(hijack);
  const auto hijackDetails = rig.Details();
  EXPECT_NE(std::find(hijackDetails.begin(), hijackDetails.end(), L"System handler=Replaces a built-in handler"),
            hijackDetails.end());

  auto pressF7 = [&] {
    SetFocus(rig.list());
    SendMessageW(rig.list(), WM_KEYDOWN, VK_F7, 0);
    SendMessageW(rig.list(), WM_KEYUP, VK_F7, 0);
    Pump();
  };
  pressF7();
  EXPECT_TRUE(table.ShowsSystemHandlers());
  EXPECT_EQ(table.Caption().Text(), caption + L"Hide the system's own handlers (F7)");
  const int row = rig.RowOf(builtIn);
  ASSERT_GE(row, 0);
  EXPECT_GE(rig.RowOf(own), 0);
  rig.Select(row);
  const auto details = rig.Details();
  EXPECT_NE(std::find(details.begin(), details.end(), L"System handler=Yes"), details.end());

  pressF7();
  EXPECT_FALSE(table.ShowsSystemHandlers());
  EXPECT_LT(rig.RowOf(builtIn), 0);
  EXPECT_GE(rig.RowOf(own), 0);
}
