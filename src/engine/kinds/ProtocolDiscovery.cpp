// Pluggable protocols: the "Handler" (by scheme) and "Filter" (by MIME type)
// lists below "PROTOCOLS" in the machine's classes and each user's, each
// entry naming its class in a "CLSID" value. The system's own handlers are
// left out unless asked for; a built-in scheme's name that points anywhere
// else is listed, marked.
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/Listings.h"
#include "engine/text/ProtocolText.h"

namespace discovery {

namespace {

using text::ProtocolList;

void FillProtocolList(DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                      const std::wstring& scope, const LocationViews& views, ProtocolList which, bool includeSystem) {
  CRegistry& registry = run.Registry(views.entries);
  const std::wstring listKey = path + L"\\" + text::ProtocolListName(which);
  for (const auto& name : registry.EnumSubKeys(root, listKey).Keys()) {
    std::wstring clsid;
    ReadListedString(registry, root, listKey + L"\\" + name, L"CLSID", clsid);
    const RegView view = views.classes.empty() ? views.entries : run.ClassView(clsid, views.classes);
    const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
    const text::ProtocolOrigin origin =
        text::OriginOfProtocol(which, name, clsid, found.file.resolved, run.SystemFolders(view));
    if (origin == text::ProtocolOrigin::System && !includeSystem) continue;

    CResultNode& node = list.Add();
    node.ID = name;
    node.params.Add(keys::kOriginalName, name);
    node.params.Add(keys::kDisplayName, name.empty() ? LoadStr(IDS_NONAME) : name);
    node.params.Add(keys::kProtocolList, std::wstring(text::ProtocolListName(which)));
    node.params.Add(keys::kClassId, clsid);
    node.params.Add(keys::kDll, found.file.resolved);
    node.params.Add(keys::kKey, RootNumber(root));
    node.params.Add(keys::kHive, listKey);
    node.params.Add(keys::kScope, scope);
    if (origin != text::ProtocolOrigin::AddOn)
      node.params.Add(keys::kSystem, origin == text::ProtocolOrigin::System ? 1 : 0);
    run.AddFileInfo(node, found.file);
    node.params.Add(keys::kView, ViewNumber(view));
  }
}

std::optional<CResultNodes> ListProtocols(FileResolver& files, bool includeSystem, const wchar_t* procedure) {
  return ListFromHives(Kind(TableId::kProtocols), procedure, files,
                       [includeSystem](DiscoveryRun& run, CResultNodes& list, HKEY root, const std::wstring& path,
                                       const std::wstring& scope, const CStringDictionary&,
                                       const LocationViews& views) {
                         Guarded(L"ucProtocols.FillProtocols", kLevelDiscovery, [&] {
                           for (const ProtocolList which : {ProtocolList::Handler, ProtocolList::Filter})
                             FillProtocolList(run, list, root, path, scope, views, which, includeSystem);
                         });
                       });
}

}  // namespace

std::optional<CResultNodes> EnumProtocols(FileResolver& files) {
  return ListProtocols(files, false, L"EnumProtocols");
}

std::optional<CResultNodes> EnumAllProtocols(FileResolver& files) {
  return ListProtocols(files, true, L"EnumAllProtocols");
}

}  // namespace discovery
