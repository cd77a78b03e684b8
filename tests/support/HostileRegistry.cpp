#include "support/HostileRegistry.h"

#include <aclapi.h>
#include <winternl.h>

#include <algorithm>
#include <cwchar>
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

// root\path as a real key handle (a predefined root is none: the native
// calls need one to open names below it); made when create is set.
UniqueKey OpenParent(HKEY root, const std::wstring& path, REGSAM view, bool create = true) {
  UniqueKey parent;
  if (path.empty() && root == HKEY_CURRENT_USER) {
    RegOpenCurrentUser(KEY_ALL_ACCESS | view, parent.put());
  } else if (path.empty()) {
    std::wstring name = root == HKEY_LOCAL_MACHINE ? L"\\Registry\\Machine" : L"\\Registry\\User";
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    HANDLE key = nullptr;
    if (Ntdll<NtOpenKeyFn>("NtOpenKey")(&key, KEY_ALL_ACCESS | view, &attributes) >= 0) parent.reset(static_cast<HKEY>(key));
  } else if (create) {
    RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, parent.put(), nullptr);
  } else {
    RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, parent.put());
  }
  if (!parent && create) throw std::runtime_error("parent not opened: " + qlmtest::Narrow(path));
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

bool IsLinkKey(HKEY key) {
  DWORD type = 0;
  return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
         type == REG_LINK;
}

void DeleteChild(HKEY parent, const std::wstring& name, REGSAM view, int depth);

// Every subkey first, then the key; a key that cannot go leaves its
// siblings to be tried all the same.
void DeleteBelow(HKEY key, REGSAM view, int depth) {
  if (depth > 600) return;
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  for (const auto& name : names) DeleteChild(key, name, view, depth + 1);
}

void DeleteChild(HKEY parent, const std::wstring& name, REGSAM view, int depth) {
  UniqueKey key = OpenNoFollow(parent, name, KEY_ALL_ACCESS | view);
  if (!key) {
    // A key that denies everything: give it back an open access list first.
    UniqueKey restricted = OpenNoFollow(parent, name, WRITE_DAC | view);
    if (!restricted) return;
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
    RegSetKeySecurity(restricted.get(), DACL_SECURITY_INFORMATION, &sd);
    key = OpenNoFollow(parent, name, KEY_ALL_ACCESS | view);
    if (!key) return;
  }
  if (!IsLinkKey(key.get())) DeleteBelow(key.get(), view, depth);
  Ntdll<NtDeleteKeyFn>("NtDeleteKey")(key.get());
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
  if (name.empty()) return;
  const UniqueKey parent = OpenParent(root, path, view, false);
  if (parent) DeleteChild(parent.get(), name, view, 0);
}

void DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
  using NtDeleteValueKeyFn = NTSTATUS(NTAPI*)(HANDLE, PUNICODE_STRING);
  UNICODE_STRING counted = Counted(name);
  Ntdll<NtDeleteValueKeyFn>("NtDeleteValueKey")(key.get(), &counted);
}

std::vector<std::wstring> NamesWithNul(HKEY root, const std::wstring& path, bool values) {
  std::vector<std::wstring> names;
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
  std::vector<wchar_t> buf(16384);
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG rc = values ? RegEnumValueW(key.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                           : RegEnumKeyExW(key.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;
    if (std::wmemchr(buf.data(), L'\0', len)) names.emplace_back(buf.data(), len);
  }
  return names;
}

namespace {

std::wstring RootText(HKEY root) {
  if (root == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER";
  if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
  if (root == HKEY_USERS) return L"HKEY_USERS";
  return L"HKEY_CLASSES_ROOT";
}

std::wstring Hex(const unsigned char* data, std::size_t size) {
  static const wchar_t digits[] = L"0123456789abcdef";
  std::wstring out;
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

void SnapshotKey(HKEY key, const std::wstring& name, REGSAM view, int depth, Snapshot& out) {
  std::vector<std::wstring>& lines = out[name];
  DWORD type = 0;
  std::vector<unsigned char> target(4096);
  DWORD size = static_cast<DWORD>(target.size());
  if (RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, target.data(), &size) == ERROR_SUCCESS &&
      type == REG_LINK) {
    lines.push_back(L"=>" + std::wstring(reinterpret_cast<const wchar_t*>(target.data()), size / sizeof(wchar_t)));
    return;
  }
  std::vector<wchar_t> valueName(32768);
  std::vector<unsigned char> data(1 << 16);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = static_cast<DWORD>(valueName.size()), dataLength = static_cast<DWORD>(data.size());
    LONG rc = RegEnumValueW(key, i, valueName.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
    if (rc == ERROR_MORE_DATA) {
      data.resize(dataLength + 16);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    lines.push_back(std::wstring(valueName.data(), nameLength) + L"=" + std::to_wstring(type) + L":" +
                    Hex(data.data(), dataLength));
  }
  std::sort(lines.begin(), lines.end());
  if (depth > 600) return;
  for (DWORD i = 0;; ++i) {
    wchar_t child[512];
    DWORD length = 512;
    if (RegEnumKeyExW(key, i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::wstring childName(child, length);
    UniqueKey sub = OpenNoFollow(key, childName, KEY_READ | view);
    const std::wstring childKey = name + L"\\" + qlmtest::Upper(childName);
    if (!sub) {
      out[childKey].push_back(L"<unreadable>");
      continue;
    }
    SnapshotKey(sub.get(), childKey, view, depth + 1, out);
  }
}

}  // namespace

Snapshot TakeSnapshot(HKEY root, const std::wstring& path, REGSAM view) {
  Snapshot out;
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return out;
  SnapshotKey(key.get(), qlmtest::Upper(RootText(root) + L"\\" + path), view, 0, out);
  return out;
}

Snapshot TakeSnapshot(const std::vector<Area>& areas) {
  Snapshot all;
  for (const auto& area : areas) all.merge(TakeSnapshot(area.root, area.path));
  return all;
}

Snapshot WithoutKey(Snapshot snapshot, const std::wstring& key) {
  const std::wstring gone = qlmtest::Upper(key);
  std::erase_if(snapshot, [&](const auto& entry) {
    return entry.first == gone || entry.first.rfind(gone + L"\\", 0) == 0;
  });
  return snapshot;
}

Snapshot WithoutValue(Snapshot snapshot, const std::wstring& key, const std::wstring& value) {
  const auto it = snapshot.find(qlmtest::Upper(key));
  if (it != snapshot.end())
    std::erase_if(it->second, [&](const std::wstring& line) { return line.rfind(value + L"=", 0) == 0; });
  return snapshot;
}

}  // namespace hostile
