#include "ozcore/WindowsVersion.h"

#include <windows.h>

namespace windowsversion {

std::optional<Version> Read() {
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto* rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return std::nullopt;
  Version version;
  version.major = static_cast<std::int32_t>(info.dwMajorVersion);
  version.minor = static_cast<std::int32_t>(info.dwMinorVersion);
  version.build = static_cast<std::int32_t>(info.dwBuildNumber);
  version.platformId = static_cast<std::int32_t>(info.dwPlatformId);
  version.servicePack = info.szCSDVersion;
  return version;
}

std::wstring Describe(const Version& version) {
  std::wstring text = version.platformId == VER_PLATFORM_WIN32_NT ? L"Windows NT " : L"Windows ";
  text +=
      std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) + L"." + std::to_wstring(version.build);
  if (!version.servicePack.empty()) text += L" " + version.servicePack;
  SYSTEM_INFO si{};
  GetNativeSystemInfo(&si);
  text += si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64   ? L" (x64)"
          : si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? L" (ARM64)"
                                                                      : L" (x86)";
  return text;
}

}  // namespace windowsversion
