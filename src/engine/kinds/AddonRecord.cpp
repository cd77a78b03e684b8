#include "engine/kinds/AddonRecord.h"

#include "core/ErrorReport.h"
#include "ozcore/CUtilities.h"

namespace discovery {

std::int32_t RootNumber(HKEY root) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)));
}

HKEY RootFromNumber(std::int32_t number) {
  // Predefined handles are sign-extended 32-bit values.
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(number));
}

std::vector<RegView> RegistryViews() {
  if (CRegistry::HasWow32View()) return {RegView::Native, RegView::Wow32};
  return {RegView::Default};
}

std::int32_t ViewNumber(RegView view) {
  switch (view) {
    case RegView::Native:
      return 64;
    case RegView::Wow32:
      return 32;
    case RegView::Default:
      break;
  }
  return static_cast<std::int32_t>(sizeof(void*) * 8);
}

RegView ViewOfRecord(const CResultNode& node) {
  const CParam* view = node.params.Find(keys::kView);
  if (!view || !CRegistry::HasWow32View()) return RegView::Default;
  switch (view->Number()) {
    case 64:
      return RegView::Native;
    case 32:
      return RegView::Wow32;
    default:
      return RegView::Default;
  }
}

void AddVersionDetails(CResultNode& node, const CStringDictionary& versionStrings) {
  std::wstring company;
  if (versionStrings.TryGet(L"CompanyName", company)) node.params.Add(keys::kManufacturer, company);
  std::wstring version;
  if (!versionStrings.TryGet(L"ProductVersion", version)) versionStrings.TryGet(L"FileVersion", version);
  node.params.Add(keys::kVersion, version);
}

}  // namespace discovery

namespace discovery {

void AddFileInfoToResultNode(CResultNode& node, const std::wstring& file) {
  Guarded(L"MQLM.AddFileInfoToResultNode", kLevelError,
          [&] { discovery::AddVersionDetails(node, CUtilities::GetVersionStrings(file)); });
}

}  // namespace discovery
