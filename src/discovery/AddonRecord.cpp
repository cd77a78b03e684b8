#include "discovery/AddonRecord.h"

#include "app/ErrorReport.h"
#include "ozcore/CUtilities.h"

namespace discovery {

std::int32_t RootNumber(HKEY root) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)));
}

HKEY RootFromNumber(std::int32_t number) {
  // Predefined handles are sign-extended 32-bit values.
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(number));
}

void AddVersionDetails(CResultNode& node, const CStringDictionary& versionStrings) {
  std::wstring company;
  if (versionStrings.TryGet(L"CompanyName", company)) node.params.Add(keys::kManufacturer, company);
  std::wstring version;
  if (!versionStrings.TryGet(L"ProductVersion", version)) versionStrings.TryGet(L"FileVersion", version);
  node.params.Add(keys::kVersion, version);
}

}  // namespace discovery

namespace MQLM {

void AddFileInfoToResultNode(CResultNode& node, const std::wstring& file) {
  Guarded(L"MQLM.AddFileInfoToResultNode", kLevelError,
          [&] { discovery::AddVersionDetails(node, CUtilities::GetVersionStrings(file)); });
}

}  // namespace MQLM
