// Search providers: the subkeys of "SearchScopes" in each user's hive and
// the machine's, each with a display name and a search address; the user's
// "DefaultScope" value names the default one. A provider has a file only
// through an indirect display name ("@file,-id").
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/files/IndirectStringText.h"
#include "engine/kinds/Listings.h"
#include "engine/text/ProtocolText.h"

namespace discovery {

namespace {

// The file an indirect display name is read from; empty for a plain name.
std::wstring IndirectNameFile(const std::wstring& displayName) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(displayName, file, number)) return {};
  return file;
}

void FillSearchProviders(DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                         const std::wstring& scope, const CStringDictionary& names, const LocationViews& views) {
  Guarded(L"ucSearchProviders.FillSearchProviders", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry(views.entries);
    // No class: a provider belongs to the view it was found in.
    const RegView view = views.entries;
    std::wstring defaultScope;
    registry.ReadString(root, path, L"DefaultScope", defaultScope);
    for (const auto& entry : names.Keys()) {
      const std::wstring key = path + L"\\" + entry;
      std::wstring displayName, url;
      ReadListedString(registry, root, key, L"DisplayName", displayName);
      ReadListedString(registry, root, key, L"URL", url);
      const std::wstring name = run.IndirectString(displayName, view);
      const std::wstring file = IndirectNameFile(displayName);
      const DiscoveryRun::FileFacts facts = run.ResolveFile(file, view);

      CResultNode& node = list.Add();
      node.ID = entry;
      node.params.Add(keys::kOriginalName, name);
      node.params.Add(keys::kDisplayName, name.empty() ? LoadStr(IDS_NONAME) : name);
      // The address is shown, never opened.
      node.params.Add(keys::kUrl, url);
      node.params.Add(keys::kIsDefault, text::NamesSameEntry(defaultScope, entry) ? 1 : 0);
      node.params.Add(keys::kDll, facts.resolved);
      node.params.Add(keys::kKey, RootNumber(root));
      node.params.Add(keys::kHive, path);
      node.params.Add(keys::kScope, scope);
      if (!file.empty()) run.AddFileInfo(node, facts);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace

std::optional<CResultNodes> EnumSearchProviders(FileResolver& files) {
  return ListFromHives(Kind(TableId::kSearchProviders), L"EnumSearchProviders", files, &FillSearchProviders);
}

}  // namespace discovery
