#include "ozcore/NativeRegistry.h"

#include <winternl.h>

#include <cstring>

namespace nativereg {
namespace {

using NtOpenKeyFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using NtCreateKeyFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG, PUNICODE_STRING, ULONG, PULONG);
using NtQueryValueKeyFn = NTSTATUS(NTAPI*)(HANDLE, PUNICODE_STRING, int, PVOID, ULONG, PULONG);
using NtDeleteValueKeyFn = NTSTATUS(NTAPI*)(HANDLE, PUNICODE_STRING);
using NtDeleteKeyFn = NTSTATUS(NTAPI*)(HANDLE);
using NtQueryKeyFn = NTSTATUS(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);

constexpr int kKeyValuePartialInformation = 2;
constexpr int kKeyNameInformation = 3;
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023L);
constexpr DWORD kRegLink = 6;
// A counted name's length travels in 16 bits of bytes.
constexpr std::size_t kMaxNameChars = 0x7FFF;

struct Ntdll {
  NtOpenKeyFn openKey = nullptr;
  NtCreateKeyFn createKey = nullptr;
  NtQueryValueKeyFn queryValue = nullptr;
  NtDeleteValueKeyFn deleteValue = nullptr;
  NtDeleteKeyFn deleteKey = nullptr;
  NtQueryKeyFn queryKey = nullptr;
  RtlNtStatusToDosErrorFn toDosError = nullptr;

  Ntdll() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return;
    Get(ntdll, "NtOpenKey", openKey);
    Get(ntdll, "NtCreateKey", createKey);
    Get(ntdll, "NtQueryValueKey", queryValue);
    Get(ntdll, "NtDeleteValueKey", deleteValue);
    Get(ntdll, "NtDeleteKey", deleteKey);
    Get(ntdll, "NtQueryKey", queryKey);
    Get(ntdll, "RtlNtStatusToDosError", toDosError);
  }
  template <typename Fn>
  static void Get(HMODULE module, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  LONG Error(NTSTATUS status) const {
    if (status >= 0) return ERROR_SUCCESS;
    return toDosError ? static_cast<LONG>(toDosError(status)) : ERROR_GEN_FAILURE;
  }
};

const Ntdll& Api() {
  static const Ntdll api;
  return api;
}

bool Counted(const std::wstring& text, UNICODE_STRING& out) {
  if (text.size() > kMaxNameChars) return false;
  out.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
  out.MaximumLength = out.Length;
  out.Buffer = const_cast<wchar_t*>(text.data());
  return true;
}

}  // namespace

LONG OpenKey(HKEY parent, const std::wstring& path, REGSAM access, bool openLink, UniqueKey& out) {
  out.reset();
  const Ntdll& api = Api();
  if (!api.openKey) return ERROR_PROC_NOT_FOUND;
  UNICODE_STRING name;
  if (!Counted(path, name)) return ERROR_FILENAME_EXCED_RANGE;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | (openLink ? OBJ_OPENLINK : 0), parent,
                             nullptr);
  HANDLE handle = nullptr;
  const NTSTATUS status = api.openKey(&handle, access, &attributes);
  if (status < 0) return api.Error(status);
  out.reset(static_cast<HKEY>(handle));
  return ERROR_SUCCESS;
}

LONG CreateKey(HKEY parent, const std::wstring& keyName, REGSAM access, UniqueKey& out) {
  out.reset();
  const Ntdll& api = Api();
  if (!api.createKey) return ERROR_PROC_NOT_FOUND;
  UNICODE_STRING name;
  if (keyName.empty() || !Counted(keyName, name)) return ERROR_INVALID_PARAMETER;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, parent, nullptr);
  HANDLE handle = nullptr;
  const NTSTATUS status =
      api.createKey(&handle, access, &attributes, 0, nullptr, REG_OPTION_NON_VOLATILE | REG_OPTION_OPEN_LINK, nullptr);
  if (status < 0) return api.Error(status);
  out.reset(static_cast<HKEY>(handle));
  return ERROR_SUCCESS;
}

LONG OpenRoot(HKEY root, REGSAM access, UniqueKey& out) {
  out.reset();
  // The predefined handles are not real keys the counted calls could open
  // below; these are the keys they stand for.
  if (root == HKEY_CURRENT_USER) return RegOpenCurrentUser(access, out.put());
  const wchar_t* path = nullptr;
  if (root == HKEY_LOCAL_MACHINE) path = L"\\Registry\\Machine";
  else if (root == HKEY_USERS) path = L"\\Registry\\User";
  // The machine's part of the merged classes view.
  else if (root == HKEY_CLASSES_ROOT) path = L"\\Registry\\Machine\\Software\\Classes";
  if (!path) return ERROR_INVALID_HANDLE;
  return OpenKey(nullptr, path, access, false, out);
}

LONG QueryValue(HKEY key, const std::wstring& valueName, DWORD& type, std::vector<unsigned char>& data,
                std::size_t& size, std::size_t maxBytes) {
  size = 0;
  const Ntdll& api = Api();
  if (!api.queryValue) return ERROR_PROC_NOT_FOUND;
  UNICODE_STRING name;
  if (!Counted(valueName, name)) return ERROR_FILE_NOT_FOUND;
  // KEY_VALUE_PARTIAL_INFORMATION: TitleIndex, Type, DataLength, Data.
  constexpr std::size_t header = 3 * sizeof(ULONG);
  // Never more than maxBytes of data, even for the first try.
  std::vector<unsigned char> buffer(header + std::min(std::max<std::size_t>(data.size(), 256), maxBytes));
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status = api.queryValue(key, &name, kKeyValuePartialInformation, buffer.data(),
                                           static_cast<ULONG>(buffer.size()), &needed);
    if (status == kBufferOverflow && needed >= header && needed - header > maxBytes) {
      // Only the fixed part came back: the type, and the size asked for.
      ULONG valueType = 0;
      std::memcpy(&valueType, buffer.data() + sizeof(ULONG), sizeof(ULONG));
      type = valueType;
      size = needed - header;
      return ERROR_MORE_DATA;
    }
    if (status == kBufferOverflow || status == kBufferTooSmall) {
      buffer.resize(std::min(std::max<std::size_t>(needed, buffer.size() * 2), header + maxBytes));
      continue;
    }
    if (status < 0) return api.Error(status);
    ULONG valueType = 0, length = 0;
    std::memcpy(&valueType, buffer.data() + sizeof(ULONG), sizeof(ULONG));
    std::memcpy(&length, buffer.data() + 2 * sizeof(ULONG), sizeof(ULONG));
    if (length > buffer.size() - header) return ERROR_INVALID_DATA;
    type = valueType;
    if (data.size() < length) data.resize(length);
    std::memcpy(data.data(), buffer.data() + header, length);
    size = length;
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

LONG DeleteValue(HKEY key, const std::wstring& valueName) {
  const Ntdll& api = Api();
  if (!api.deleteValue) return ERROR_PROC_NOT_FOUND;
  UNICODE_STRING name;
  if (!Counted(valueName, name)) return ERROR_FILE_NOT_FOUND;
  return api.Error(api.deleteValue(key, &name));
}

LONG DeleteKey(HKEY key) {
  const Ntdll& api = Api();
  if (!api.deleteKey) return ERROR_PROC_NOT_FOUND;
  return api.Error(api.deleteKey(key));
}

bool IsLink(HKEY key) {
  DWORD type = 0;
  std::vector<unsigned char> data;
  std::size_t size = 0;
  // A link's target is a key name: a value larger than any key name is no link.
  constexpr std::size_t kMaxTargetBytes = 2 * kMaxNameChars;
  return QueryValue(key, L"SymbolicLinkValue", type, data, size, kMaxTargetBytes) == ERROR_SUCCESS &&
         type == kRegLink;
}

std::wstring KernelName(HKEY key) {
  const Ntdll& api = Api();
  if (!api.queryKey) return {};
  // KEY_NAME_INFORMATION: NameLength, Name.
  std::vector<unsigned char> buffer(512);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status =
        api.queryKey(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kBufferOverflow || status == kBufferTooSmall) {
      buffer.resize(std::max<std::size_t>(needed, buffer.size() * 2));
      continue;
    }
    if (status < 0) return {};
    ULONG length = 0;
    std::memcpy(&length, buffer.data(), sizeof(ULONG));
    if (length > buffer.size() - sizeof(ULONG)) return {};
    std::wstring name(length / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), buffer.data() + sizeof(ULONG), name.size() * sizeof(wchar_t));
    return name;
  }
  return {};
}

}  // namespace nativereg
