#include "engine/sources/AccountNames.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "engine/text/AddonText.h"
#include "engine/text/SidText.h"
#include "ozcore/UniqueHandle.h"

namespace AccountNames {

namespace {

std::wstring CutAtNul(const std::vector<wchar_t>& buf) {
  std::size_t n = 0;
  while (n < buf.size() && buf[n] != L'\0') ++n;
  return discovery::text::TrimSpaces(std::wstring(buf.data(), n));
}

}  // namespace

void SidToAccountName(const std::wstring& sidText, std::wstring& domainName, std::wstring& accountName) {
  domainName.clear();
  accountName.clear();
  discovery::SidParts parts;
  if (!discovery::ParseSidText(sidText, parts)) return;

  const auto count = static_cast<BYTE>(parts.subAuthorities.size());
  // DWORD storage keeps the SID aligned as the system expects.
  std::vector<DWORD> storage((GetSidLengthRequired(count) + sizeof(DWORD) - 1) / sizeof(DWORD));
  PSID sid = storage.data();
  SID_IDENTIFIER_AUTHORITY authority{{0, 0, 0, 0, 0, parts.authority}};
  if (!InitializeSid(sid, &authority, count)) return;
  for (BYTE i = 0; i < count; ++i) *GetSidSubAuthority(sid, i) = parts.subAuthorities[i];

  std::vector<wchar_t> name(256), domain(256);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD domainLen = static_cast<DWORD>(domain.size());
    SID_NAME_USE use{};
    if (LookupAccountSidW(nullptr, sid, name.data(), &nameLen, domain.data(), &domainLen, &use)) {
      accountName = CutAtNul(name);
      domainName = CutAtNul(domain);
      return;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    // The sizes now hold what the names need.
    name.assign(std::max<std::size_t>(nameLen, name.size()) + 1, L'\0');
    domain.assign(std::max<std::size_t>(domainLen, domain.size()) + 1, L'\0');
  }
}

std::wstring TokenUserSid(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  // DWORD storage keeps the SID aligned as the system expects.
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  if (!GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &size))
    return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  UniqueLocal owner(text);
  return text;
}

std::wstring SessionUserSid() {
  DWORD shellProcess = 0;
  if (HWND shell = GetShellWindow()) GetWindowThreadProcessId(shell, &shellProcess);
  if (shellProcess != 0) {
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcess));
    UniqueKernelHandle token;
    if (process && OpenProcessToken(process.get(), TOKEN_QUERY, token.put())) {
      std::wstring sid = TokenUserSid(token.get());
      if (!sid.empty()) return sid;
    }
  }
  UniqueKernelHandle own;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, own.put())) return {};
  return TokenUserSid(own.get());
}

}  // namespace AccountNames
