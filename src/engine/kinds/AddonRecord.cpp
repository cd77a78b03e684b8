#include "engine/kinds/AddonRecord.h"

#include "engine/kinds/AddonKinds.h"
#include "core/Strings.h"

namespace discovery {

std::int32_t ViewNumber(RegView view) {
  return view == RegView::Wow32 ? 32 : 64;
}

namespace {

void AddPlace(CParams& params, const engine::AddonEntry& entry) {
  if (entry.tree) {
    params.Add(keys::kKey, *entry.tree == engine::Tree::Users ? kUsersRootNumber : kMachineRootNumber);
    params.Add(keys::kHive, entry.keyPath);
  }
}

void AddFileDetails(CParams& params, const engine::AddonEntry& entry, const std::wstring& deviceNote,
                    const std::wstring& networkNote) {
  if (!entry.fileRead) return;
  if (entry.manufacturer) params.Add(keys::kManufacturer, *entry.manufacturer);
  params.Add(keys::kVersion, entry.version);
  if (entry.fileNote == engine::FileNote::NetworkPath) params.Add(keys::kFileNote, networkNote);
  if (entry.fileNote == engine::FileNote::DevicePath) params.Add(keys::kFileNote, deviceNote);
}

// The values before the file details, in the kind's order.
void AddNamesAndPlace(CParams& p, const engine::AddonEntry& e) {
  switch (e.kind) {
    case TableId::kButtons:
      p.Add(keys::kButtonText, e.buttonText);
      p.Add(keys::kMenuText, e.menuText);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDll, e.file);
      break;
    case TableId::kMenuExtensions:
      p.Add(keys::kMenuName, e.ownName);
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kDll, e.file);
      break;
    case TableId::kExplorerBars:
      p.Add(keys::kName, e.ownName);
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kDll, e.file);
      p.Add(keys::kCatId, e.category);
      break;
    case TableId::kHelperObjects:
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kName, e.ownName);
      p.Add(keys::kDll, e.file);
      break;
    case TableId::kActiveXControls:
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kDll, e.file);
      p.Add(keys::kCodeBase, e.codeBase);
      break;
    case TableId::kProtocols:
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kProtocolList, e.protocolList);
      p.Add(keys::kClassId, e.classId);
      p.Add(keys::kDll, e.file);
      break;
    case TableId::kSearchProviders:
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kUrl, e.url);
      p.Add(keys::kIsDefault, e.isDefault.value_or(false) ? 1 : 0);
      p.Add(keys::kDll, e.file);
      break;
    default:  // toolbars, URL search hooks
      p.Add(keys::kOriginalName, e.originalName);
      p.Add(keys::kDisplayName, e.displayName);
      p.Add(keys::kDll, e.file);
      break;
  }
  AddPlace(p, e);
  p.Add(keys::kScope, e.scope);
  if (e.system) p.Add(keys::kSystem, *e.system ? 1 : 0);
}

}  // namespace

CResultNode ToRecord(const engine::AddonEntry& entry) {
  static const std::wstring deviceNote = LoadStr(IDS_DEVICE_PATH_NOT_OPENED);
  static const std::wstring networkNote = LoadStr(IDS_NETWORK_PATH_NOT_OPENED);
  CResultNode node;
  node.ID = entry.id;
  AddNamesAndPlace(node.params, entry);
  AddFileDetails(node.params, entry, deviceNote, networkNote);
  node.params.Add(keys::kView, ViewNumber(entry.view));
  if (entry.state) node.params.Add(keys::kState, *entry.state);
  if (entry.signature) node.params.Add(keys::kSignature, *entry.signature);
  return node;
}

CResultNodes ToRecords(const std::vector<engine::AddonEntry>& entries) {
  CResultNodes records;
  for (const auto& entry : entries) records.Add() = ToRecord(entry);
  return records;
}

}  // namespace discovery
