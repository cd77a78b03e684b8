#include "engine/kinds/DeletionPlan.h"

#include "engine/kinds/AddonRecord.h"

namespace discovery {

using engine::Root;

namespace {

bool IsPlainName(const std::wstring& name) { return !name.empty() && name.find(L'\\') == std::wstring::npos; }

// Where the registry stores a key the listing named below root. A classes
// key may be in two places: with check, the machine's when it has the key,
// else the user's; without, the machine's.
std::optional<engine::SourcePlace> StoredPlace(engine::RegistryView& registry, Root root, const std::wstring& path,
                                               engine::RegistrySource* check) {
  const auto places = registry.PlacesOf(root, path);
  if (places.empty()) return std::nullopt;
  if (check)
    for (auto place = places.rbegin(); place != places.rend(); ++place)
      if (check->KeyExists(place->tree, place->path)) return *place;
  return places.back();
}

}  // namespace

engine::AddonEntry EntryOfRecord(const AddonKind& kind, const CResultNode& record) {
  engine::AddonEntry entry;
  entry.kind = kind.id;
  entry.id = record.ID;
  if (const CParam* key = record.params.Find(keys::kKey)) {
    if (key->Number() == kMachineRootNumber) entry.tree = engine::Tree::Machine;
    if (key->Number() == kUsersRootNumber) entry.tree = engine::Tree::Users;
  }
  entry.keyPath = record.params.Text(keys::kHive);
  if (entry.tree == engine::Tree::Users) entry.ownerSid = entry.keyPath.substr(0, entry.keyPath.find(L'\\'));
  const CParam* view = record.params.Find(keys::kView);
  entry.view = view && view->Number() == 32 ? RegView::Wow32 : RegView::Native;
  entry.category = record.params.Text(keys::kCatId);
  if (const CParam* isDefault = record.params.Find(keys::kIsDefault)) entry.isDefault = isDefault->Number() == 1;
  return entry;
}

DeletionPlan PlanDeletion(const AddonKind& kind, const engine::AddonEntry& entry, engine::RegistryView& registry) {
  DeletionPlan plan;
  // A value's name may hold "\"; a key's would name another key. An empty
  // value name would be the key's default value, which is no add-on.
  if (entry.id.empty() || (!kind.entriesAreValues && !IsPlainName(entry.id))) return plan;
  Root root = Root::Machine;
  std::wstring parent;
  engine::RegistrySource* check = nullptr;
  if (kind.id == TableId::kExplorerBars) {
    // Only the bar's membership in the category it was listed for goes,
    // from the hive that holds it.
    if (!IsPlainName(entry.category)) return plan;
    root = Root::Classes;
    parent = L"CLSID\\" + entry.id + L"\\Implemented Categories";
    plan.entryName = entry.category;
    check = &registry.Source();
  } else if (kind.id == TableId::kHelperObjects) {
    parent = kind.machinePath;
    plan.entryName = entry.id;
  } else {
    if (!entry.tree || entry.keyPath.empty()) return plan;
    root = *entry.tree == engine::Tree::Users ? Root::Users : Root::Machine;
    parent = entry.keyPath;
    plan.entryName = entry.id;
  }
  if (kind.entriesAreValues) {
    // The entry is a value of the location (an empty name would be the
    // key's default value, which is no add-on).
    const auto place = StoredPlace(registry, root, parent, check);
    if (!place) return plan;
    plan.tree = place->tree;
    plan.key = place->path;
    plan.value = entry.id;
  } else {
    const auto place = StoredPlace(registry, root, parent + L"\\" + plan.entryName, check);
    if (!place) return plan;
    plan.tree = place->tree;
    plan.key = place->path;
    // The default is cleared only while it still names the provider
    // deleted, and in the key the provider was deleted from.
    if (kind.id == TableId::kSearchProviders) plan.parentValue = L"DefaultScope";
  }
  plan.complete = true;
  return plan;
}

}  // namespace discovery
