#include "core/RedirectionTrust.h"

#include <windows.h>

namespace core {

std::uint32_t TrustOnlyAdministratorLinks() {
  // Looked up by name: systems before Windows 8 do not have the call, and
  // only recent ones know this policy (they answer "invalid parameter").
  using SetPolicy = BOOL(WINAPI*)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto set = kernel ? reinterpret_cast<SetPolicy>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessMitigationPolicy")))
                          : nullptr;
  if (!set) return ERROR_PROC_NOT_FOUND;
  PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY policy{};
  policy.EnforceRedirectionTrust = 1;
  return set(ProcessRedirectionTrustPolicy, &policy, sizeof(policy)) ? 0 : GetLastError();
}

}  // namespace core
