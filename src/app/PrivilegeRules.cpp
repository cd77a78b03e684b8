#include "app/PrivilegeRules.h"

namespace Elevation {

bool IsCheckedPlatform(std::int32_t platformId, std::int32_t major) { return platformId == 2 && major >= 6; }

PrivilegeDecision DecidePrivileges(const PrivilegeFacts& facts) {
  if (!facts.uacEnabled) return facts.isAdmin ? PrivilegeDecision::Continue : PrivilegeDecision::Refuse;
  if (facts.elevationType == kElevationFull) return PrivilegeDecision::Continue;
  if (facts.elevationFlag > 0) return PrivilegeDecision::Continue;
  return PrivilegeDecision::Relaunch;
}

std::wstring RelaunchFolder(const std::wstring& shortFolder, const std::wstring& folder) {
  return shortFolder.empty() ? folder : shortFolder;
}

std::wstring RelaunchParameters(const std::wstring& folder) {
  return L"\"" + folder + L"\\Stoatline.dll\", stoat_line " + folder;
}

std::wstring BoolText(bool value) { return value ? L"True" : L"False"; }

}  // namespace Elevation
