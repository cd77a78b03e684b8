#include "engine/kinds/ProfileHives.h"

#include "engine/sources/RegistryView.h"
#include "engine/text/AddonText.h"

namespace engine {

namespace {
constexpr const wchar_t* kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
}

std::vector<ListedProfile> ListedProfiles(RegistrySource& registry) {
  std::vector<ListedProfile> profiles;
  for (const auto& sid : registry.SubKeyNames(Tree::Machine, kProfileList)) {
    if (discovery::text::ClassifyUserKey(sid) != discovery::text::UserKeyKind::Sid) continue;
    const auto value =
        registry.ReadValue(Tree::Machine, std::wstring(kProfileList) + L"\\" + sid, L"ProfileImagePath", kMaxReadValueBytes);
    if (!value || (value->type != valuetype::kString && value->type != valuetype::kExpandString)) continue;
    profiles.push_back({sid, StringOfValue(*value)});
  }
  return profiles;
}

std::wstring FolderName(const std::wstring& folder) {
  std::wstring trimmed = folder;
  while (!trimmed.empty() && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
  const std::size_t slash = trimmed.find_last_of(L"\\/");
  return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

}  // namespace engine
