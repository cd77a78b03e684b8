#pragma once
// The privilege decision and the relaunch text, free of system calls so
// that they can be checked with any facts.
#include <cstdint>
#include <string>

namespace Elevation {

// Token elevation types.
constexpr std::int32_t kElevationDefault = 1;
constexpr std::int32_t kElevationFull = 2;
constexpr std::int32_t kElevationLimited = 3;

struct PrivilegeFacts {
  bool uacEnabled = false;
  bool isAdmin = false;
  std::int32_t elevationType = -1;  // -1: unknown
  std::int32_t elevationFlag = -1;  // the token's elevated flag; -1: unknown
};

enum class PrivilegeDecision {
  Continue,  // start-up goes on
  Refuse,    // tell the user administrator rights are needed, then end
  Relaunch,  // ask for an elevated copy of the program, then end
};

// The check applies to NT systems (platform id 2) of major version 6 and
// later: Vista up to today's Windows 10 and 11.
bool IsCheckedPlatform(std::int32_t platformId, std::int32_t major);

// Without user account control an administrator goes on and anyone else is
// refused. With it, a fully elevated token goes on and any other is
// relaunched elevated, except one that already is elevated (the built-in
// Administrator's token has the default type): relaunching that one would
// only start the same unelevated-looking process again, without end.
PrivilegeDecision DecidePrivileges(const PrivilegeFacts& facts);

// The folder given to the elevation helper: its short form, or the folder
// as it is when no short form can be had (an empty folder would name a
// helper that does not exist).
std::wstring RelaunchFolder(const std::wstring& shortFolder, const std::wstring& folder);

// rundll32's parameters for the elevation helper in folder:
//   "<folder>\Stoatline.dll", stoat_line <folder>
std::wstring RelaunchParameters(const std::wstring& folder);

// "True" or "False", as the privilege record shows them.
std::wstring BoolText(bool value);

}  // namespace Elevation
