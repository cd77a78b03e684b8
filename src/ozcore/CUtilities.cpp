// The platform part of CUtilities.
#include "ozcore/CUtilities.h"

#include <windows.h>
#include <shlobj.h>
#include <winver.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "ozcore/EnvText.h"
#include "ozcore/UniqueHandle.h"
#include "ozcore/VersionBlock.h"

namespace {

std::optional<std::wstring> ProcessVariable(const std::wstring& name) {
  if (name.find(L'\0') != std::wstring::npos) return std::nullopt;
  std::wstring value(256, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::wstring();
    }
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.assign(n, L'\0');
  }
  return std::nullopt;
}

// True when file is a full path with a drive ("C:\...") and nothing is
// there. Such a path is not searched for, so loading it could only fail;
// asking for the file's attributes finds that out several times faster
// than the loader's attempt.
bool SurelyMissing(const std::wstring& file) {
  const bool drivePath = file.size() > 3 && file[1] == L':' && file[2] == L'\\' &&
                         ((file[0] >= L'A' && file[0] <= L'Z') || (file[0] >= L'a' && file[0] <= L'z'));
  if (!drivePath || GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// No "insert a disk" box while a file on a removable drive is opened.
class QuietFileErrors {
 public:
  QuietFileErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
  ~QuietFileErrors() { SetThreadErrorMode(previous_, nullptr); }
  QuietFileErrors(const QuietFileErrors&) = delete;
  QuietFileErrors& operator=(const QuietFileErrors&) = delete;

 private:
  DWORD previous_ = 0;
};

// How many of the size bytes at data can be read: committed, readable pages
// of the same mapping. A resource's size is written in the file and may
// claim more than the image the system mapped.
std::size_t ReadablePrefix(const void* data, std::size_t size) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  if (size > UINTPTR_MAX - start) size = UINTPTR_MAX - start;
  const void* mapping = nullptr;
  std::uintptr_t pos = start;
  while (pos < start + size) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(pos), &info, sizeof(info)) == 0) break;
    if (mapping == nullptr) mapping = info.AllocationBase;
    if (info.State != MEM_COMMIT || info.AllocationBase != mapping || (info.Protect & PAGE_GUARD) ||
        !(info.Protect & kReadable))
      break;
    pos = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
  }
  return std::min<std::uintptr_t>(pos, start + size) - start;
}

// The version resource (id 1, any language) of a file, parsed by our own
// reader.
versionblock::VersionInfo ReadVersionBlock(const std::wstring& file) {
  if (SurelyMissing(file)) return {};
  const auto block = CUtilities::ReadFileResource(file, 16 /* RT_VERSION */, VS_VERSION_INFO);
  if (block.empty()) return {};
  return versionblock::Parse(block.data(), block.size());
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// The first table under key, as the system's reader would pick it.
const versionblock::StringTable* FindTable(const versionblock::VersionInfo& info, const std::wstring& key) {
  for (const auto& table : info.tables)
    if (SameName(table.key, key)) return &table;
  return nullptr;
}

const std::wstring* QueryString(const versionblock::StringTable& table, const std::wstring& name) {
  for (const auto& entry : table.strings)
    if (SameName(entry.name, name)) return &entry.value;
  return nullptr;
}

std::wstring Hex4(unsigned value) {
  wchar_t buf[8];
  swprintf(buf, 8, L"%04X", value & 0xFFFF);
  return buf;
}

}  // namespace

CStringDictionary CUtilities::GetVersionStrings(const std::wstring& file) {
  CStringDictionary result(CStringDictionary::Compare::Text);
  if (file.empty()) return result;
  const auto info = ReadVersionBlock(file);

  // The language and code page the file declares first, then the usual
  // US English blocks.
  std::vector<std::wstring> tables;
  if (!info.translations.empty())
    tables.push_back(Hex4(info.translations.front().language) + Hex4(info.translations.front().codePage));
  tables.push_back(L"040904B0");
  tables.push_back(L"040904E4");

  static const std::array<const wchar_t*, 12> names = {
      L"CompanyName",  L"FileDescription", L"FileVersion",    L"InternalName",
      L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion",
      L"Comments",     L"LegalTrademarks", L"PrivateBuild",   L"SpecialBuild"};
  for (const auto& key : tables) {
    const auto* table = FindTable(info, key);
    if (table == nullptr) continue;
    bool any = false;
    for (const auto* name : names) {
      if (const auto* value = QueryString(*table, name)) {
        result.Add(*value, name);
        any = true;
      }
    }
    if (any) break;
  }
  return result;
}

std::wstring CUtilities::FileSearchName(const std::wstring& path) {
  const auto first = path.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  const auto last = path.find_last_not_of(L" \t");
  std::wstring name = path.substr(first, last - first + 1);
  if (!name.empty() && name.front() == L'"') {
    const auto close = name.find(L'"', 1);
    name = close == std::wstring::npos ? name.substr(1) : name.substr(1, close - 1);
  }
  return ExpandVariables(name, false);
}

std::wstring CUtilities::AppDataFolder() {
  PWSTR raw = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &raw)) && raw) {
    folder = raw;
  }
  CoTaskMemFree(raw);
  if (folder.empty()) {
    // No shell folder (a service account, a broken profile): the variable.
    wchar_t buf[MAX_PATH * 2] = {};
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", buf, static_cast<DWORD>(std::size(buf)));
    if (n > 0 && n < std::size(buf)) folder.assign(buf, n);
  }
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  return folder;
}

std::wstring CUtilities::GetWindowsVersion(std::int32_t& major, std::int32_t& minor, std::int32_t& build,
                                           std::int32_t& platformId, std::wstring& servicePack) {
  // The true version, whatever compatibility shims tell GetVersionEx.
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto* rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return {};
  major = static_cast<std::int32_t>(info.dwMajorVersion);
  minor = static_cast<std::int32_t>(info.dwMinorVersion);
  build = static_cast<std::int32_t>(info.dwBuildNumber);
  platformId = static_cast<std::int32_t>(info.dwPlatformId);
  servicePack = info.szCSDVersion;

  std::wstring text = platformId == VER_PLATFORM_WIN32_NT ? L"Windows NT " : L"Windows ";
  text += std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(build);
  if (!servicePack.empty()) text += L" " + servicePack;
  SYSTEM_INFO si{};
  GetNativeSystemInfo(&si);
  text += si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64   ? L" (x64)"
          : si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? L" (ARM64)"
                                                                      : L" (x86)";
  return text;
}

std::wstring CUtilities::WindowsFolder() {
  wchar_t buf[MAX_PATH * 2] = {};
  const UINT n = GetWindowsDirectoryW(buf, static_cast<UINT>(std::size(buf)));
  if (n == 0 || n >= std::size(buf)) return {};
  std::wstring folder(buf, n);
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring CUtilities::SystemMessage(std::uint32_t code) {
  wchar_t* raw = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  UniqueLocal owner(raw);
  std::wstring text = n ? std::wstring(raw, n) : std::wstring();
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) text = L"Error " + std::to_wstring(code);
  return text;
}

std::wstring CUtilities::ExpandVariables(const std::wstring& text, bool as32BitProcess) {
  if (text.find(L'%') == std::wstring::npos) return text;
  return envtext::Expand(text, [as32BitProcess](const std::wstring& name) -> std::optional<std::wstring> {
    if (as32BitProcess) {
      if (auto fixed = envtext::Wow32FixedValue(name)) return fixed;
      const std::wstring twin = envtext::Wow32Variable(name);
      if (!twin.empty()) {
        if (auto value = ProcessVariable(twin)) return value;
      }
    }
    return ProcessVariable(name);
  });
}

std::vector<unsigned char> CUtilities::ReadFileResource(const std::wstring& file, std::uint16_t type, std::uint16_t id) {
  if (file.empty() || file.find(L'\0') != std::wstring::npos) return {};
  QuietFileErrors quiet;
  UniqueModule module(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return {};
  HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
  if (found == nullptr) return {};
  const DWORD size = SizeofResource(module.get(), found);
  HGLOBAL loaded = LoadResource(module.get(), found);
  const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  if (data == nullptr || size == 0) return {};
  return std::vector<unsigned char>(data, data + ReadablePrefix(data, size));
}
