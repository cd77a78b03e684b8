#pragma once
// The privilege check: on systems with user account control the program
// needs a fully elevated token and relaunches itself elevated when it has
// none; without user account control a non-administrator is refused.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/PrivilegeRules.h"

namespace Elevation {

// An NT system of major version 6 or later: one with user account control.
bool IsNt6OrLater();
// The EnableLUA policy value is set (not 0); a missing value counts as 0.
bool IsUACEnabled();
// Whether the token's groups hold the built-in Administrators group (a
// deny-only entry counts too, so a filtered administrator is recognised);
// also yields the token's elevation type and flag, -1 when unreadable.
bool GetAdminState(std::int32_t& elevationType, std::int32_t& elevationFlag);
// Looks through every entry of a token's group list.
bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups);
// The short (8.3) form of a folder path; empty when it cannot be had.
std::wstring GetShortFolderPath(const std::wstring& path);

// Runs the check once at start-up and acts on it: writes the privilege
// record, refuses with a message, or asks the shell for an elevated copy.
// Returns what it decided; on Refuse and Relaunch the caller ends.
PrivilegeDecision CheckPrivileges();

}  // namespace Elevation
