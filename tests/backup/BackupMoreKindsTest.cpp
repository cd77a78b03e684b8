// The backup of URL search hooks, ActiveX controls, protocol handlers and
// filters and search providers: every entry removed from the machine (both
// views) and from three users comes back, value for value, when the backup
// is merged; nothing else in those areas changes.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "backup/RegistryBackup.h"
#include "discovery/AddonKinds.h"
#include "support/HostileRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

struct Cleanup {
  std::vector<std::function<void()>> steps;
  ~Cleanup() {
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) (*it)();
  }
};

const std::wstring& Path(std::int32_t kind) {
  static std::map<std::int32_t, std::wstring> paths;
  auto& path = paths[kind];
  if (path.empty()) path = discovery::Kind(kind).machinePath;
  return path;
}

// Where an entry of the kinds lives: a key path below a root.
struct Place {
  HKEY root;
  std::wstring prefix;  // "" for the machine and the current user, "<user>\" below HKEY_USERS
};

// Every area of the four kinds in the places, walked without following
// links: key name -> exact value lines.
hostile::Snapshot Areas(const std::vector<Place>& places, const std::vector<std::wstring>& wowPaths) {
  hostile::Snapshot all;
  for (const auto& place : places)
    for (const std::int32_t kind : {TableId::kUrlSearchHooks, TableId::kActiveXControls, TableId::kProtocols,
                                    TableId::kSearchProviders})
      all.merge(hostile::TakeSnapshot(place.root, place.prefix + Path(kind)));
  for (const auto& path : wowPaths) all.merge(hostile::TakeSnapshot(HKEY_LOCAL_MACHINE, path));
  return all;
}

}  // namespace

TEST(BackupFile, MergingTheBackupRestoresTheFourNewerKindsOfEveryUserAndView) {
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  Cleanup cleanup;
  TempFolder tmp;
  const core::DataFolder data{tmp.Path(), true};
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring otherUser = L"S-1-5-21-5555-6666-7777-" + pid;
  const std::wstring hook = NewClsid(), control = NewClsid(), provider = NewClsid();
  const std::wstring scheme = L"quill-backup-" + pid, mime = L"text/x-quill \"backup\" " + pid;
  const std::vector<Place> places = {
      {HKEY_LOCAL_MACHINE, L""}, {HKEY_CURRENT_USER, L""}, {HKEY_USERS, L".DEFAULT\\"}, {HKEY_USERS, otherUser + L"\\"}};
  // The 32-bit view's machine entries, under their native names.
  const std::wstring wowHooks = L"Software\\Wow6432Node\\Microsoft\\Internet Explorer\\UrlSearchHooks";
  const std::wstring wowUnits = L"Software\\Wow6432Node\\Microsoft\\Code Store Database\\Distribution Units";
  const std::wstring wowScopes = L"Software\\Wow6432Node\\Microsoft\\Internet Explorer\\SearchScopes";

  // What a test made goes again at the end; only its own entries.
  auto ownKey = [&](HKEY root, const std::wstring& path) {
    cleanup.steps.push_back([=] { DeleteTree(root, path); });
  };
  auto ownValue = [&](HKEY root, const std::wstring& path, const std::wstring& name) {
    cleanup.steps.push_back([=] { hostile::DeleteValue(root, path, name); });
  };
  cleanup.steps.push_back([=] { DeleteTree(HKEY_USERS, otherUser); });
  struct Entry {
    HKEY root;
    std::wstring path, value;  // value: an entry that is a value, else the entry key
  };
  std::vector<Entry> entries;
  auto addAll = [&](HKEY root, const std::wstring& prefix, const std::wstring& hooks, const std::wstring& units,
                    const std::wstring& scopes) {
    SetString(root, prefix + hooks, hook, L"");
    ownValue(root, prefix + hooks, hook);
    entries.push_back({root, prefix + hooks, hook});
    const std::wstring unit = prefix + units + L"\\" + control;
    SetString(root, unit, L"", L"Quill \"Unit\" \u4E2D");
    SetString(root, unit + L"\\DownloadInformation", L"CODEBASE", L"https://downloads.invalid/q.cab?a=1&b=\"2\"");
    SetString(root, unit + L"\\Contains\\Files", L"%ProgramFiles%\\Quill\\q.ocx", L"", REG_EXPAND_SZ);
    ownKey(root, unit);
    entries.push_back({root, unit, {}});
    const std::wstring scope = prefix + scopes + L"\\" + provider;
    SetString(root, scope, L"DisplayName", L"@%SystemRoot%\\system32\\quill.dll,-12");
    SetString(root, scope, L"URL", L"https://search.invalid/?q={searchTerms}&src=\\ie");
    SetDword(root, scope, L"Codepage", 65001);
    ownKey(root, scope);
    entries.push_back({root, scope, {}});
  };
  for (const auto& place : places) {
    addAll(place.root, place.prefix, Path(TableId::kUrlSearchHooks), Path(TableId::kActiveXControls),
           Path(TableId::kSearchProviders));
    for (const auto& name : {L"Handler\\" + scheme, L"Filter\\" + mime}) {
      const std::wstring key = place.prefix + Path(TableId::kProtocols) + L"\\" + name;
      SetString(place.root, key, L"CLSID", NewClsid());
      ownKey(place.root, key);
      entries.push_back({place.root, key, {}});
    }
  }
  addAll(HKEY_LOCAL_MACHINE, L"", wowHooks, wowUnits, wowScopes);
  // The other user's default provider is the test's own.
  const std::wstring otherScopes = otherUser + L"\\" + Path(TableId::kSearchProviders);
  SetString(HKEY_USERS, otherScopes, L"DefaultScope", provider);
  entries.push_back({HKEY_USERS, otherScopes, L"DefaultScope"});

  const std::vector<std::wstring> wowPaths = {wowHooks, wowUnits, wowScopes};
  const hostile::Snapshot before = Areas(places, wowPaths);
  // Nothing of the areas is left out (no link is walked into).
  std::vector<RegOmission> omitted;
  RegistryBackup::BackupText(true, RegistryBackup::CurrentUserSid(), &omitted);
  for (const auto& omission : omitted) ADD_FAILURE() << "left out: " << Narrow(RegistryBackup::OmissionText(omission));
  std::wstring file;
  ASSERT_TRUE(RegistryBackup::BackupRegistry(data, &file));

  // Removed as the tables remove them: each entry alone.
  for (const auto& e : entries) {
    if (e.value.empty()) {
      hostile::DeleteTree(e.root, e.path.substr(0, e.path.rfind(L'\\')), e.path.substr(e.path.rfind(L'\\') + 1));
      ASSERT_FALSE(KeyPresent(e.root, e.path)) << Narrow(e.path);
    } else {
      hostile::DeleteValue(e.root, e.path, e.value);
    }
  }
  ASSERT_NE(Areas(places, wowPaths), before);

  ASSERT_EQ(RunProcess(L"\"" + RegExe() + L"\" import \"" + file + L"\""), 0);
  const hostile::Snapshot after = Areas(places, wowPaths);
  for (const auto& [key, lines] : before) {
    const auto it = after.find(key);
    ASSERT_NE(it, after.end()) << "not restored: " << Narrow(key);
    EXPECT_EQ(it->second, lines) << Narrow(key);
  }
  EXPECT_EQ(after.size(), before.size());
}
