// The walk over the machine and the user hives, and the scope of each kind
// of user subkey.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/Strings.h"
#include "discovery/AddonWorld.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/files/FileResolver.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/sources/AccountNames.h"
#include "support/RegFixture.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

struct Call {
  HKEY root;
  std::wstring path, scope;
  std::vector<std::wstring> names;
  std::wstring views;  // the entries' view, then the class views: "64:64,32"
  bool operator==(const Call&) const = default;
};

std::string Text(const std::vector<Call>& calls) {
  std::wstring text;
  for (const auto& c : calls) {
    text += (c.root == HKEY_LOCAL_MACHINE ? L"  HKLM\\" : L"  HKU\\") + c.path + L" [" + c.scope + L"]";
    for (const auto& n : c.names) text += L" " + n;
    text += L" <" + c.views + L">\n";
  }
  return Narrow(text);
}

std::wstring ViewsText(const discovery::LocationViews& views) {
  std::wstring text = std::to_wstring(discovery::ViewNumber(views.entries)) + L":";
  for (std::size_t i = 0; i < views.classes.size(); ++i)
    text += (i ? L"," : L"") + std::to_wstring(discovery::ViewNumber(views.classes[i]));
  return text;
}

}  // namespace

TEST(DiscoveryHiveWalk, MachineFirstThenHivesWithEntriesInRegistryOrder) {
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring machinePath = L"Software\\QuillmoorTests\\walk-" + pid;
  const std::wstring userPath = L"\\Software\\QuillmoorTests\\walk-" + pid;
  const std::wstring me = CurrentUserSidText();
  ASSERT_FALSE(me.empty());
  struct Hive {
    std::wstring key, scope;
    std::vector<std::wstring> values;  // empty: the key exists without entries
  };
  const std::vector<Hive> hives = {
      {me, CurrentUserName(), {L"mine"}},
      {L".Default", LoadStr(IDS_SCOPE_DEFAULT), {L"d1", L"d2"}},
      {L"S-1-5-18", L"SYSTEM", {L"sys"}},
      {L"S-1-5-32-544", L"Administrators", {L"admins"}},
      {L"S-1-5-21-1111-2222-3333-4444", L"", {L"unknown"}},
      {L"s-1-5-32-545", L"", {L"lower"}},
      {L"QlmWalkHive-" + pid, L"", {L"plain"}},
      {L"QlmWalkEmpty-" + pid, L"", {}},
  };
  RegFixture reg;
  reg.Key(HKEY_LOCAL_MACHINE, machinePath);  // present but empty: still one call
  for (const auto& h : hives) {
    reg.Key(HKEY_USERS, h.key + userPath);
    for (const auto& v : h.values) reg.String(HKEY_USERS, h.key + userPath, v, L"x");
  }

  std::vector<Call> calls;
  auto record = [&](HKEY root, const std::wstring& path, const std::wstring& scope, const CStringDictionary& names,
                    const discovery::LocationViews& views) {
    auto sorted = names.Keys();
    std::sort(sorted.begin(), sorted.end());
    calls.push_back({root, path, scope, sorted, ViewsText(views)});
  };
  FileResolver files(true);
  discovery::DiscoveryRun run(files);
  discovery::WalkHives(run, machinePath, userPath, discovery::EntryNames::Values, record);

  // The machine key once per view (64-bit Windows: native, then 32-bit),
  // each entry's class in that view only; a user's key once, its classes
  // looked up in every view.
  ASSERT_TRUE(CRegistry::HasWow32View()) << "the tests run in a 64-bit prefix";
  const std::wstring everyone = LoadStr(IDS_SCOPE_EVERYONE);
  std::vector<Call> expected = {{HKEY_LOCAL_MACHINE, machinePath, everyone, {}, L"64:64"},
                                {HKEY_LOCAL_MACHINE, machinePath, everyone, {}, L"32:32"}};
  for (const auto& user : EnumNames(HKEY_USERS, L"")) {
    for (const auto& h : hives) {
      if (_wcsicmp(h.key.c_str(), user.c_str()) != 0 || h.values.empty()) continue;
      auto names = h.values;
      std::sort(names.begin(), names.end());
      expected.push_back({HKEY_USERS, user + userPath, h.scope, names, L"64:64,32"});
    }
  }
  EXPECT_EQ(calls, expected) << "walked:\n" << Text(calls) << "expected:\n" << Text(expected);
}

TEST(DiscoveryHiveWalk, ScopesAndAccountNames) {
  struct Case {
    std::wstring userKey, scope;
  };
  const Case cases[] = {
      {L".DEFAULT", LoadStr(IDS_SCOPE_DEFAULT)},
      {L".default", LoadStr(IDS_SCOPE_DEFAULT)},
      {L"S-1-5-18", L"SYSTEM"},
      {L"S-1--5--18", L"SYSTEM"},
      {L"S-1-5-32-544", L"Administrators"},
      {L"S-1-1-0", L"Everyone"},
      {CurrentUserSidText(), CurrentUserName()},
      {L"s-1-5-18", L""},  // lower case is not looked up
      {L"S-1-5-21-1111-2222-3333-4444", L""},
      {CurrentUserSidText() + L"_Classes", L""},
      {L"S-1-5-4294967296", L""},
      {L"S-", L""},
      {L"Users", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(discovery::ScopeForUserKey(c.userKey), c.scope) << Narrow(c.userKey);

  std::wstring domain = L"stale", account = L"stale";
  AccountNames::SidToAccountName(L"S-1-5-32-544", domain, account);
  EXPECT_EQ(account, L"Administrators");
  EXPECT_EQ(domain, L"BUILTIN");
  AccountNames::SidToAccountName(L"S-1-5-99999-1", domain, account);
  EXPECT_EQ(account, L"");
  EXPECT_EQ(domain, L"");
}
