#include "engine/kinds/BhoDiscovery.h"

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/kinds/DiscoveryRun.h"

namespace discovery {

std::optional<CResultNodes> EnumBHOs(FileResolver& files) {
  std::optional<CResultNodes> result;
  Guarded(L"ucBHO.EnumBHOs", kLevelDiscovery, [&] {
    CResultNodes list;
    DiscoveryRun run(files);
    for (const RegView view : run.Views())
      FillBHOInfo(run, run.Registry(view).EnumSubKeys(HKEY_LOCAL_MACHINE, Kind(TableId::kHelperObjects).machinePath),
                  list, HKEY_LOCAL_MACHINE, view);
    result = std::move(list);
  });
  return result;
}

void FillBHOInfo(DiscoveryRun& run, const CStringDictionary& names, CResultNodes& list, HKEY root, RegView view) {
  Guarded(L"ucBHO.FillBHOInfo", kLevelDiscovery, [&] {
    CRegistry& registry = run.Registry(view);
    for (const auto& clsid : names.Keys()) {
      if (!text::HasClsidLength(clsid)) continue;
      // The name comes from the entry itself, not from the class.
      std::wstring name, file;
      ReadListedString(registry, root, std::wstring(Kind(TableId::kHelperObjects).machinePath) + L"\\" + clsid, L"",
                       name);
      ReadListedString(registry, HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InProcServer32", L"", file);
      const DiscoveryRun::FileFacts facts = run.ResolveFile(file, view);

      CResultNode& node = list.Add();
      node.ID = clsid;
      name = run.ObjectName(name, facts);

      node.params.Add(keys::kOriginalName, name);
      node.params.Add(keys::kDisplayName, name);
      node.params.Add(keys::kName, name);
      node.params.Add(keys::kDll, facts.resolved);
      node.params.Add(keys::kScope, LoadStr(IDS_SCOPE_EVERYONE_MACHINE));
      run.AddFileInfo(node, facts);
      node.params.Add(keys::kView, ViewNumber(view));
    }
  });
}

}  // namespace discovery
