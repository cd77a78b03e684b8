#include "app/Elevation.h"

#include <shellapi.h>

#include <vector>

#include "core/ProgramResources.h"
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"
#include "ozcore/SystemFolders.h"
#include "ozcore/UniqueHandle.h"
#include "ozcore/WindowsVersion.h"

namespace Elevation {
namespace {

// Reads one token information class into a buffer of whole 32-bit words.
// Returns false only when the size was known but the read failed; an
// unknown size leaves the buffer empty.
bool ReadTokenInfo(HANDLE token, TOKEN_INFORMATION_CLASS cls, std::vector<DWORD>& buffer) {
  buffer.clear();
  DWORD size = 0;
  GetTokenInformation(token, cls, nullptr, 0, &size);
  if (size == 0) return true;
  buffer.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
  return GetTokenInformation(token, cls, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &size) != 0;
}

}  // namespace

bool IsNt6OrLater() {
  const auto version = windowsversion::Read();
  return version && IsCheckedPlatform(version->platformId, version->major);
}

bool IsUACEnabled() {
  CRegistry registry;
  std::uint32_t value = 0;
  registry.ReadDWORD(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", L"EnableLUA",
                     value);
  return value != 0;
}

bool GroupsHoldAdministrators(const TOKEN_GROUPS& groups) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  UniqueSid admins;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                admins.put()))
    return false;
  if (!IsValidSid(admins.get())) return false;
  for (DWORD i = 0; i < groups.GroupCount; ++i) {
    PSID sid = groups.Groups[i].Sid;
    if (sid && IsValidSid(sid) && EqualSid(sid, admins.get())) return true;
  }
  return false;
}

bool GetAdminState(std::int32_t& elevationType, std::int32_t& elevationFlag) {
  elevationType = -1;
  elevationFlag = -1;
  UniqueKernelHandle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()) &&
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return false;

  std::vector<DWORD> buffer;
  if (!ReadTokenInfo(token.get(), TokenElevationType, buffer)) return false;
  if (!buffer.empty()) elevationType = static_cast<std::int32_t>(buffer[0]);
  if (!ReadTokenInfo(token.get(), TokenElevation, buffer)) return false;
  if (!buffer.empty()) elevationFlag = static_cast<std::int32_t>(buffer[0]);
  // The whole group list, however many groups the token has.
  if (!ReadTokenInfo(token.get(), TokenGroups, buffer)) return false;
  if (buffer.size() * sizeof(DWORD) < sizeof(TOKEN_GROUPS)) return false;
  return GroupsHoldAdministrators(*reinterpret_cast<const TOKEN_GROUPS*>(buffer.data()));
}

std::wstring GetShortFolderPath(const std::wstring& path) {
  const std::wstring longPath = L"\\\\?\\" + path;
  std::vector<wchar_t> buffer(1000);
  const DWORD n = GetShortPathNameW(longPath.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n < 1 || n > buffer.size()) return {};
  const std::wstring shortPath(buffer.data(), n);
  return shortPath.size() > 4 ? shortPath.substr(4) : std::wstring();
}

PrivilegeDecision CheckPrivileges() {
  if (!IsNt6OrLater()) return PrivilegeDecision::Continue;
  PrivilegeFacts facts;
  facts.uacEnabled = IsUACEnabled();
  facts.isAdmin = GetAdminState(facts.elevationType, facts.elevationFlag);
  LogInformation(
      formattext::Format(L"UACEnabled=%1, IsAdmin=%2, ElevationType=%3",
                         {BoolText(facts.uacEnabled), BoolText(facts.isAdmin), std::to_wstring(facts.elevationType)}),
      L"MVista");

  const PrivilegeDecision decision = DecidePrivileges(facts);
  if (decision == PrivilegeDecision::Refuse) {
    // No window of ours exists yet: the standard message box.
    MessageBoxW(nullptr, LoadStr(IDS_NO_PERMISSION).c_str(), LoadStr(IDS_PRODUCT_NAME).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
  } else if (decision == PrivilegeDecision::Relaunch) {
    const std::wstring programFolder = ProgramResources::ProgramFolder();
    const std::wstring folder = RelaunchFolder(GetShortFolderPath(programFolder), programFolder);
    const std::wstring program = systemfolders::Windows() + L"\\system32\\rundll32.exe";
    const std::wstring parameters = RelaunchParameters(folder);
    // Whatever the shell answers (a declined prompt included), this copy ends.
    ShellExecuteW(nullptr, L"runas", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
  }
  return decision;
}

}  // namespace Elevation

