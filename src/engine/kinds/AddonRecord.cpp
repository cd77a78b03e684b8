#include "engine/kinds/AddonRecord.h"

#include <cwchar>

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

// The record's own values before its place, in each kind's order, as
// saved inventories and scripts have them.
enum class Field { ButtonText, MenuText, MenuName, Name, OriginalName, DisplayName, Dll, CatId, CodeBase, List, ClassId, Url, IsDefault };

const std::vector<Field>& FieldsOf(std::int32_t kind) {
  using F = Field;
  static const std::vector<Field> buttons{F::ButtonText, F::MenuText, F::DisplayName, F::OriginalName, F::Dll};
  static const std::vector<Field> menus{F::MenuName, F::OriginalName, F::DisplayName, F::Dll};
  static const std::vector<Field> bars{F::Name, F::OriginalName, F::DisplayName, F::Dll, F::CatId};
  static const std::vector<Field> helpers{F::OriginalName, F::DisplayName, F::Name, F::Dll};
  static const std::vector<Field> controls{F::OriginalName, F::DisplayName, F::Dll, F::CodeBase};
  static const std::vector<Field> protocols{F::OriginalName, F::DisplayName, F::List, F::ClassId, F::Dll};
  static const std::vector<Field> providers{F::OriginalName, F::DisplayName, F::Url, F::IsDefault, F::Dll};
  static const std::vector<Field> others{F::OriginalName, F::DisplayName, F::Dll};  // toolbars, URL search hooks
  switch (kind) {
    case TableId::kButtons: return buttons;
    case TableId::kMenuExtensions: return menus;
    case TableId::kExplorerBars: return bars;
    case TableId::kHelperObjects: return helpers;
    case TableId::kActiveXControls: return controls;
    case TableId::kProtocols: return protocols;
    case TableId::kSearchProviders: return providers;
    default: return others;
  }
}

void AddField(CParams& p, const engine::AddonEntry& e, Field field) {
  switch (field) {
    case Field::ButtonText: p.Add(keys::kButtonText, e.buttonText); break;
    case Field::MenuText: p.Add(keys::kMenuText, e.menuText); break;
    case Field::MenuName: p.Add(keys::kMenuName, e.ownName); break;
    case Field::Name: p.Add(keys::kName, e.ownName); break;
    case Field::OriginalName: p.Add(keys::kOriginalName, e.originalName); break;
    case Field::DisplayName: p.Add(keys::kDisplayName, e.displayName); break;
    case Field::Dll: p.Add(keys::kDll, e.file); break;
    case Field::CatId: p.Add(keys::kCatId, e.category); break;
    case Field::CodeBase: p.Add(keys::kCodeBase, e.codeBase); break;
    case Field::List: p.Add(keys::kProtocolList, e.protocolList); break;
    case Field::ClassId: p.Add(keys::kClassId, e.classId); break;
    case Field::Url: p.Add(keys::kUrl, e.url); break;
    case Field::IsDefault: p.Add(keys::kIsDefault, e.isDefault.value_or(false) ? 1 : 0); break;
  }
}

void AddNamesAndPlace(CParams& p, const engine::AddonEntry& e) {
  for (const Field field : FieldsOf(e.kind)) AddField(p, e, field);
  AddPlace(p, e);
  p.Add(keys::kScope, e.scope);
  if (e.system) p.Add(keys::kSystem, *e.system ? 1 : 0);
}

// The civil date of a day counted from 1970-01-01 (proleptic Gregorian).
void CivilDate(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;  // from 0000-03-01, so that a leap day ends its year
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::wstring IsoTime(std::uint64_t fileTime) {
  constexpr std::int64_t kDaysFrom1601To1970 = 134774;
  const std::uint64_t seconds = fileTime / 10000000u;
  const auto days = static_cast<std::int64_t>(seconds / 86400) - kDaysFrom1601To1970;
  const auto inDay = static_cast<unsigned>(seconds % 86400);
  std::int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilDate(days, year, month, day);
  wchar_t text[32];
  std::swprintf(text, 32, L"%04lld-%02u-%02uT%02u:%02u:%02uZ", static_cast<long long>(year), month, day, inDay / 3600,
                inDay / 60 % 60, inDay % 60);
  return text;
}

CResultNode ToRecord(const engine::AddonEntry& entry, RecordSource source) {
  static const std::wstring deviceNote = LoadStr(IDS_DEVICE_PATH_NOT_OPENED);
  static const std::wstring networkNote = LoadStr(IDS_NETWORK_PATH_NOT_OPENED);
  CResultNode node;
  node.ID = entry.id;
  AddNamesAndPlace(node.params, entry);
  AddFileDetails(node.params, entry, deviceNote, networkNote);
  node.params.Add(keys::kView, ViewNumber(entry.view));
  if (entry.state) node.params.Add(keys::kState, *entry.state);
  if (entry.signature) node.params.Add(keys::kSignature, *entry.signature);
  node.params.Add(keys::kSource, std::wstring(source == RecordSource::Offline ? L"offline" : L"live"));
  // 0 is no time a key was written: a source that keeps none.
  node.params.Add(keys::kLastWritten, entry.lastWrite.value_or(0) != 0 ? IsoTime(*entry.lastWrite) : std::wstring());
  if (!entry.sha256.empty()) node.params.Add(keys::kSha256, entry.sha256);
  if (!entry.hashNote.empty()) node.params.Add(keys::kHashNote, entry.hashNote);
  if (!entry.product.empty()) node.params.Add(keys::kProduct, entry.product);
  return node;
}

CResultNodes ToRecords(const std::vector<engine::AddonEntry>& entries, RecordSource source) {
  CResultNodes records;
  for (const auto& entry : entries) records.Add() = ToRecord(entry, source);
  return records;
}

}  // namespace discovery
