#include "engine/kinds/AddonListing.h"

#include "StringIds.h"
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"

namespace discovery {

void AddStateAndSignature(const AddonKind& kind, DiscoveryRun& run, AddonStateReader& states, CResultNode& record) {
  // A record keeps its listing when one of these cannot be read: the value
  // is then left out and the failure logged.
  Guarded(std::wstring(kind.typeName) + L".ReadState", kLevelDiscovery,
          [&] { record.params.Add(keys::kState, states.StateText(kind, record)); });
  Guarded(std::wstring(kind.typeName) + L".ReadSignature", kLevelDiscovery, [&] {
    // A search provider names an address, not a file.
    static const std::wstring notApplicable = LoadStr(IDS_STATE_NOT_APPLICABLE);
    if (kind.id == TableId::kSearchProviders)
      record.params.Add(keys::kSignature, notApplicable);
    else
      record.params.Add(keys::kSignature, run.SignatureText(record));
  });
}

void AddStatesAndSignatures(const AddonKind& kind, FileResolver& files, CResultNodes& list) {
  DiscoveryRun run(files);
  AddonStateReader states(run);
  for (std::size_t i = 1; i <= list.Count(); ++i) AddStateAndSignature(kind, run, states, *list.Item(i));
}

std::optional<CResultNodes> ListAddons(const AddonKind& kind, FileResolver& files) {
  std::optional<CResultNodes> list = kind.list(files);
  if (list) AddStatesAndSignatures(kind, files, *list);
  return list;
}

}  // namespace discovery
