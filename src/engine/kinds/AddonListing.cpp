#include "engine/kinds/AddonListing.h"

#include "core/Strings.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/kinds/FileHashes.h"
#include "engine/kinds/ListingFiles.h"

namespace discovery {

void AddStateAndSignature(const AddonKind& kind, DiscoveryRun& run, AddonStateReader& states,
                          engine::AddonEntry& entry) {
  entry.state = states.StateText(kind, entry);
  // A search provider names an address, not a file.
  static const std::wstring notApplicable = LoadStr(IDS_STATE_NOT_APPLICABLE);
  entry.signature = kind.id == TableId::kSearchProviders ? notApplicable : run.SignatureText(entry);
}

void AddStatesAndSignatures(const AddonKind& kind, engine::MachineSources& machine,
                            std::vector<engine::AddonEntry>& entries) {
  DiscoveryRun run(machine);
  AddonStateReader states(run);
  FileHashes hashes(machine.files);
  for (auto& entry : entries) {
    AddStateAndSignature(kind, run, states, entry);
    hashes.AddTo(entry);
  }
}

std::vector<engine::AddonEntry> ListAddons(const AddonKind& kind, engine::MachineSources& machine,
                                           ListingRoutine routine) {
  ListingFiles files(machine);
  std::vector<engine::AddonEntry> entries = (routine ? routine : kind.list)(files.Sources());
  AddStatesAndSignatures(kind, files.Sources(), entries);
  return entries;
}

}  // namespace discovery
