#include "engine/kinds/HiveWalk.h"

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/sources/AccountNames.h"

namespace discovery {

namespace {
CStringDictionary Enumerate(CRegistry& registry, HKEY root, const std::wstring& path, EntryNames names) {
  return names == EntryNames::Values ? registry.EnumValueNames(root, path) : registry.EnumSubKeys(root, path);
}
}  // namespace

void WalkHives(DiscoveryRun& run, const std::wstring& machinePath, const std::wstring& userPath, EntryNames names,
               const LocationFiller& fill, bool machineShared) {
  const std::wstring everyone = LoadStr(IDS_SCOPE_EVERYONE);
  const LocationViews shared{run.Views().front(), run.Views()};
  if (machineShared) {
    fill(HKEY_LOCAL_MACHINE, machinePath, everyone,
         Enumerate(run.Registry(), HKEY_LOCAL_MACHINE, machinePath, names), shared);
  } else {
    for (const RegView view : run.Views()) {
      fill(HKEY_LOCAL_MACHINE, machinePath, everyone,
           Enumerate(run.Registry(view), HKEY_LOCAL_MACHINE, machinePath, names), LocationViews{view, {view}});
    }
  }

  CRegistry& registry = run.Registry();
  const CStringDictionary users = registry.EnumSubKeys(HKEY_USERS, L"");
  for (const auto& user : users.Keys()) {
    // A user's class registrations are no user: their keys are classes.
    if (text::ClassifyUserKey(user) == text::UserKeyKind::Classes) continue;
    const std::wstring path = user + userPath;
    const CStringDictionary entries = Enumerate(registry, HKEY_USERS, path, names);
    if (entries.Count() == 0) continue;
    fill(HKEY_USERS, path, run.ScopeForUserKey(user), entries, shared);
  }
}

std::optional<CResultNodes> ListFromHives(const AddonKind& kind, const wchar_t* procedure, FileResolver& files,
                                          const ListFiller& fill) {
  std::optional<CResultNodes> result;
  Guarded(std::wstring(kind.typeName) + L"." + procedure, kLevelDiscovery, [&] {
    CResultNodes list;
    DiscoveryRun run(files);
    WalkHives(run, kind.machinePath, std::wstring(L"\\") + kind.userPath,
              kind.entriesAreValues ? EntryNames::Values : EntryNames::SubKeys,
              [&](HKEY root, const std::wstring& path, const std::wstring& scope, const CStringDictionary& entries,
                  const LocationViews& views) { fill(run, list, root, path, scope, entries, views); },
              kind.machineSharedByViews);
    result = std::move(list);
  });
  return result;
}

std::wstring ScopeForUserKey(const std::wstring& userKey) {
  switch (text::ClassifyUserKey(userKey)) {
    case text::UserKeyKind::Default:
      return LoadStr(IDS_SCOPE_DEFAULT);
    case text::UserKeyKind::Sid: {
      std::wstring domain, account;
      AccountNames::SidToAccountName(userKey, domain, account);
      return account;
    }
    case text::UserKeyKind::Classes:
    case text::UserKeyKind::Other:
      break;
  }
  return {};
}

}  // namespace discovery
