#pragma once
// The profiles a machine's software hive lists, and where each keeps its
// hives: shared by the running machine (for users who are not signed in)
// and by an offline image (for every user). Platform-free.
#include <string>
#include <vector>

#include "engine/sources/RegistrySource.h"

namespace engine {

struct ListedProfile {
  std::wstring sid;
  std::wstring folder;  // ProfileImagePath as written (variables not expanded)
};

// Each subkey of the profile list named by a SID that gives its folder as
// text, in the list's order.
std::vector<ListedProfile> ListedProfiles(RegistrySource& registry);

// Where a profile's hives are, below its folder.
constexpr const wchar_t* kUserHiveInProfile = L"\\NTUSER.DAT";
constexpr const wchar_t* kUserClassesHiveInProfile = L"\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";

// The last name of a folder path: a profile's user as its folder names it.
std::wstring FolderName(const std::wstring& folder);

}  // namespace engine
