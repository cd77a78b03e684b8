// Browser helper objects: subkeys named by a class id below the machine's
// "Browser Helper Objects" key, in each view; the class's server is the
// object's file, the entry's own default value its name.
#include "core/Strings.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/kinds/ListingRoutines.h"
#include "engine/text/AddonText.h"

namespace discovery {

Entries ListHelperObjects(engine::MachineSources& machine) {
  const AddonKind& kind = Kind(TableId::kHelperObjects);
  Entries list;
  DiscoveryRun run(machine);
  const std::wstring everyone = LoadStr(IDS_SCOPE_EVERYONE_MACHINE);
  for (const RegView view : run.Views()) {
    engine::RegistryView& registry = run.Registry(view);
    for (const auto& [clsid, lastWrite] : registry.SubKeysWithTimes(Root::Machine, kind.machinePath)) {
      if (!text::HasClsidLength(clsid)) continue;
      // The name comes from the entry itself, not from the class.
      std::wstring name, file;
      run.ReadListedString(registry, Root::Machine, std::wstring(kind.machinePath) + L"\\" + clsid, L"", name);
      run.ReadListedString(registry, Root::Classes, L"CLSID\\" + clsid + L"\\InProcServer32", L"", file);
      const DiscoveryRun::ResolvedFile facts = run.ResolveFile(file, view);

      engine::AddonEntry& entry = list.emplace_back();
      entry.kind = kind.id;
      entry.id = clsid;
      entry.keyPath = std::wstring(kind.machinePath) + L"\\" + clsid;
      name = run.ObjectName(name, facts);
      entry.ownName = entry.originalName = entry.displayName = name;
      entry.rawFile = file;
      entry.file = facts.resolved;
      entry.scope = everyone;
      run.AddFileInfo(entry, facts);
      entry.view = view;
      entry.lastWrite = lastWrite;
    }
  }
  return list;
}

}  // namespace discovery
