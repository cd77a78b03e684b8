#include "discovery/ProtocolText.h"

#include <array>

#include "discovery/AddonText.h"

namespace discovery::text {

const wchar_t* ProtocolListName(ProtocolList list) { return list == ProtocolList::Handler ? L"Handler" : L"Filter"; }

bool IsBuiltInScheme(const std::wstring& scheme) {
  static const std::array<const wchar_t*, 12> builtIn = {L"http", L"https",      L"ftp",      L"file",
                                                          L"mk",   L"res",        L"about",    L"javascript",
                                                          L"vbscript", L"mailto", L"its",      L"ms-its"};
  const std::wstring lower = AsciiLower(scheme);
  for (const auto* name : builtIn)
    if (lower == name) return true;
  return false;
}

bool IsFileDirectlyInFolders(const std::wstring& file, const std::vector<std::wstring>& folders) {
  const auto separator = file.find_last_of(L"\\/");
  if (separator == std::wstring::npos || separator + 1 >= file.size()) return false;
  return IsFileInFolders(file, file.substr(separator + 1), folders);
}

bool IsSystemProtocol(ProtocolList list, const std::wstring& name, const std::wstring& resolvedFile,
                      const std::vector<std::wstring>& systemFolders) {
  if (list == ProtocolList::Handler && IsBuiltInScheme(name)) return true;
  return IsFileDirectlyInFolders(resolvedFile, systemFolders);
}

bool NamesSameEntry(const std::wstring& defaultScope, const std::wstring& entry) {
  return !defaultScope.empty() && defaultScope.size() == entry.size() && AsciiLower(defaultScope) == AsciiLower(entry);
}

}  // namespace discovery::text
