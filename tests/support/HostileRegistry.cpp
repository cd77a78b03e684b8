#include "support/HostileRegistry.h"

#include <aclapi.h>
#include <winternl.h>

#include <stdexcept>
#include <vector>

#include "support/TestSupport.h"

namespace hostile {
namespace {

using NtCreateKeyFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, ULONG, PUNICODE_STRING, ULONG,
                                       PULONG);
using NtOpenKeyFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using NtSetValueKeyFn = NTSTATUS(NTAPI*)(HANDLE, PUNICODE_STRING, ULONG, ULONG, PVOID, ULONG);
using NtDeleteKeyFn = NTSTATUS(NTAPI*)(HANDLE);
using NtQueryKeyFn = NTSTATUS(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

template <typename Fn>
Fn Ntdll(const char* name) {
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
  if (!fn) throw std::runtime_error(std::string("ntdll lacks ") + name);
  return fn;
}

UNICODE_STRING Counted(const std::wstring& text) {
  UNICODE_STRING s;
  s.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
  s.MaximumLength = s.Length;
  s.Buffer = const_cast<wchar_t*>(text.data());
  return s;
}

UniqueKey OpenParent(HKEY root, const std::wstring& path, REGSAM view) {
  UniqueKey parent;
  if (path.empty()) {
    if (RegOpenKeyExW(root, L"", 0, KEY_ALL_ACCESS | view, parent.put()) != ERROR_SUCCESS)
      throw std::runtime_error("root not opened");
  } else if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, parent.put(),
                             nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("parent not created: " + qlmtest::Narrow(path));
  }
  return parent;
}

UniqueKey Create(HKEY parent, const std::wstring& name, ULONG options, REGSAM access) {
  UNICODE_STRING counted = Counted(name);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, parent, nullptr);
  HANDLE key = nullptr;
  const NTSTATUS status = Ntdll<NtCreateKeyFn>("NtCreateKey")(&key, access, &attributes, 0, nullptr, options, nullptr);
  if (status < 0) throw std::runtime_error("NtCreateKey failed");
  return UniqueKey(static_cast<HKEY>(key));
}

UniqueKey OpenNoFollow(HKEY parent, const std::wstring& name, REGSAM access) {
  UNICODE_STRING counted = Counted(name);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE | OBJ_OPENLINK, parent, nullptr);
  HANDLE key = nullptr;
  if (Ntdll<NtOpenKeyFn>("NtOpenKey")(&key, access, &attributes) < 0) return {};
  return UniqueKey(static_cast<HKEY>(key));
}

void DeleteBelow(HKEY key, REGSAM view, int depth) {
  if (depth > 600) return;
  for (;;) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
    UniqueKey child = OpenNoFollow(key, std::wstring(name, length), KEY_ALL_ACCESS | view);
    if (!child) return;
    DWORD type = 0;
    const bool link = RegQueryValueExW(child.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
                          ERROR_SUCCESS &&
                      type == REG_LINK;
    if (!link) DeleteBelow(child.get(), view, depth + 1);
    if (Ntdll<NtDeleteKeyFn>("NtDeleteKey")(child.get()) < 0) return;
  }
}

}  // namespace

UniqueKey CreateKey(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view) {
  UniqueKey parent = OpenParent(root, path, view);
  return Create(parent.get(), name, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view);
}

void CreateLink(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& target,
                REGSAM view) {
  UniqueKey parent = OpenParent(root, path, view);
  UniqueKey link = Create(parent.get(), name, REG_OPTION_NON_VOLATILE | REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | view);
  // The link's target is a kernel path without a closing NUL.
  SetValue(link.get(), L"SymbolicLinkValue", REG_LINK, target.data(), target.size() * sizeof(wchar_t));
}

std::wstring KernelPath(HKEY root, const std::wstring& path, REGSAM view) {
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS)
    throw std::runtime_error("no such key: " + qlmtest::Narrow(path));
  std::vector<unsigned char> buffer(4096);
  ULONG needed = 0;
  if (Ntdll<NtQueryKeyFn>("NtQueryKey")(key.get(), 3 /* KeyNameInformation */, buffer.data(),
                                        static_cast<ULONG>(buffer.size()), &needed) < 0)
    throw std::runtime_error("key name not read");
  ULONG length = 0;
  memcpy(&length, buffer.data(), sizeof length);
  return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG)), length / sizeof(wchar_t));
}

void SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, std::size_t size) {
  UNICODE_STRING counted = Counted(name);
  if (Ntdll<NtSetValueKeyFn>("NtSetValueKey")(key, &counted, 0, type, const_cast<void*>(data),
                                              static_cast<ULONG>(size)) < 0)
    throw std::runtime_error("NtSetValueKey failed");
}

void SetString(HKEY key, const std::wstring& name, const std::wstring& text, DWORD type) {
  SetValue(key, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void DenyRead(HKEY key) {
  // An empty access list grants nothing to anyone.
  ACL acl;
  InitializeAcl(&acl, sizeof acl, ACL_REVISION);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
  RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
}

void DeleteTree(HKEY root, const std::wstring& path, const std::wstring& name, REGSAM view) {
  UniqueKey parent;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, parent.put()) != ERROR_SUCCESS) return;
  UniqueKey key = OpenNoFollow(parent.get(), name, KEY_ALL_ACCESS | WRITE_DAC | view);
  if (!key) {
    // A key that denies everything: give it back an open access list first.
    UniqueKey restricted = OpenNoFollow(parent.get(), name, WRITE_DAC | view);
    if (!restricted) return;
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    RegSetKeySecurity(restricted.get(), DACL_SECURITY_INFORMATION, &sd);
    key = OpenNoFollow(parent.get(), name, KEY_ALL_ACCESS | view);
    if (!key) return;
  }
  DWORD type = 0;
  const bool link = RegQueryValueExW(key.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
                        ERROR_SUCCESS &&
                    type == REG_LINK;
  if (!link) DeleteBelow(key.get(), view, 0);
  Ntdll<NtDeleteKeyFn>("NtDeleteKey")(key.get());
}

}  // namespace hostile
