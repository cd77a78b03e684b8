#include "core/WrittenRecord.h"

#include <windows.h>
#include <bcrypt.h>
#include <sddl.h>

#include <algorithm>

#include "ozcore/UniqueHandle.h"

namespace core::written {
namespace {

constexpr wchar_t kProgramKey[] = L"SOFTWARE\\Quillmoor";
constexpr wchar_t kFilesKey[] = L"SOFTWARE\\Quillmoor\\Written";
constexpr wchar_t kFoldersKey[] = L"SOFTWARE\\Quillmoor\\Folders";
constexpr REGSAM kView = KEY_WOW64_64KEY;

struct AlgorithmTraits {
  static BCRYPT_ALG_HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(BCRYPT_ALG_HANDLE h) noexcept { return h != nullptr; }
  static void Close(BCRYPT_ALG_HANDLE h) noexcept { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  static BCRYPT_HASH_HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(BCRYPT_HASH_HANDLE h) noexcept { return h != nullptr; }
  static void Close(BCRYPT_HASH_HANDLE h) noexcept { BCryptDestroyHash(h); }
};

// Opens a key of the record; made (with its parent) when write and missing.
// The program's key is made with an access list of its own: only the
// administrators and the system change it, whatever HKLM\SOFTWARE allows.
LSTATUS OpenRecordKey(const wchar_t* path, bool write, UniqueKey& key) {
  if (!write) return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | kView, key.put());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KR;;;BU)",
                                                            SDDL_REVISION_1, &descriptor, nullptr))
    return static_cast<LSTATUS>(GetLastError());
  UniqueLocal held(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  UniqueKey program;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProgramKey, 0, nullptr, 0, KEY_CREATE_SUB_KEY | kView,
                                   &attributes, program.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, key.put(), nullptr);
}

long SetText(const wchar_t* keyPath, const std::wstring& name, const std::wstring& text) {
  UniqueKey key;
  const LSTATUS status = OpenRecordKey(keyPath, true, key);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> GetText(const wchar_t* keyPath, const std::wstring& name) {
  UniqueKey key;
  if (OpenRecordKey(keyPath, false, key) != ERROR_SUCCESS) return std::nullopt;
  // A hash is 64 digits; anything longer is not one of ours.
  wchar_t text[80] = {};
  DWORD type = 0, size = sizeof(text) - sizeof(wchar_t);
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  std::wstring value(text, size / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

}  // namespace

std::wstring Sha256Hex(const std::string& bytes) {
  UniqueHandle<BCRYPT_ALG_HANDLE, AlgorithmTraits> algorithm;
  if (BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) return {};
  UniqueHandle<BCRYPT_HASH_HANDLE, HashTraits> hash;
  if (BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0) < 0) return {};
  constexpr std::size_t kChunk = 1u << 24;
  for (std::size_t at = 0; at < bytes.size(); at += kChunk) {
    const ULONG size = static_cast<ULONG>(std::min(kChunk, bytes.size() - at));
    if (BCryptHashData(hash.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at)), size, 0) < 0)
      return {};
  }
  unsigned char digest[32] = {};
  if (BCryptFinishHash(hash.get(), digest, sizeof(digest), 0) < 0) return {};
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text;
  for (unsigned char byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

long RememberFile(const std::wstring& path, const std::wstring& hash) { return SetText(kFilesKey, path, hash); }

std::optional<std::wstring> RecordedHash(const std::wstring& path) { return GetText(kFilesKey, path); }

long RememberFolderGiven(const std::wstring& path) { return SetText(kFoldersKey, path, L"Administrators"); }

bool FolderWasGiven(const std::wstring& path) { return GetText(kFoldersKey, path).has_value(); }

}  // namespace core::written
