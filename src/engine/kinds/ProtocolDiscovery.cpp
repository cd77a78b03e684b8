// Pluggable protocols: the "Handler" (by scheme) and "Filter" (by MIME type)
// lists below "PROTOCOLS" in the machine's classes and each user's, each
// entry naming its class in a "CLSID" value. The system's own handlers are
// left out unless asked for; a built-in scheme's name that points anywhere
// else is listed, marked.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/ProtocolText.h"

namespace discovery {

namespace {

using text::ProtocolList;

void ListProtocolList(DiscoveryRun& run, Entries& list, const Location& at, ProtocolList which, bool includeSystem) {
  const AddonKind& kind = Kind(TableId::kProtocols);
  engine::RegistryView& registry = run.Registry(at.views.entries);
  Location listAt = at;
  listAt.path = at.path + L"\\" + text::ProtocolListName(which);
  for (const auto& [name, lastWrite] : registry.SubKeysWithTimes(at.root, listAt.path)) {
    std::wstring clsid;
    run.ReadListedString(registry, at.root, listAt.path + L"\\" + name, L"CLSID", clsid);
    const RegView view = at.views.classes.empty() ? at.views.entries : run.ClassView(clsid, at.views.classes);
    const DiscoveryRun::ClassFacts found = run.ReadClass(clsid, view);
    const text::ProtocolOrigin origin =
        text::OriginOfProtocol(which, name, clsid, found.file.resolved, run.SystemFolders(view));
    if (origin == text::ProtocolOrigin::System && !includeSystem) continue;

    engine::AddonEntry& entry = AddEntry(list, kind, name, listAt);
    entry.originalName = name;
    entry.displayName = name.empty() ? LoadStr(IDS_NONAME) : name;
    entry.protocolList = text::ProtocolListName(which);
    entry.classId = clsid;
    entry.rawFile = found.file.raw;
    entry.file = found.file.resolved;
    if (origin != text::ProtocolOrigin::AddOn) entry.system = origin == text::ProtocolOrigin::System;
    run.AddFileInfo(entry, found.file);
    entry.view = view;
    entry.lastWrite = lastWrite;
  }
}

Entries ListProtocolsOf(engine::MachineSources& machine, bool includeSystem) {
  return ListFromHives(Kind(TableId::kProtocols), machine, [&](DiscoveryRun& run, Entries& list, const Location& at) {
    for (const ProtocolList which : {ProtocolList::Handler, ProtocolList::Filter})
      ListProtocolList(run, list, at, which, includeSystem);
  });
}

}  // namespace

Entries ListProtocols(engine::MachineSources& machine) { return ListProtocolsOf(machine, false); }
Entries ListAllProtocols(engine::MachineSources& machine) { return ListProtocolsOf(machine, true); }

}  // namespace discovery
