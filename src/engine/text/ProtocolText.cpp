#include "engine/text/ProtocolText.h"

#include <array>

#include "engine/text/AddonText.h"

namespace discovery::text {

const wchar_t* ProtocolListName(ProtocolList list) { return list == ProtocolList::Handler ? L"Handler" : L"Filter"; }

namespace {

// The browser's own handlers as the system registers them. A scheme's name
// alone proves nothing: adware takes over "javascript" or "http" by
// registering its own class under that name, so the class and its file
// must be the system's too.
struct BuiltInHandler {
  const wchar_t* scheme;
  const wchar_t* classId;
  const wchar_t* file;
};
constexpr std::array<BuiltInHandler, 12> kBuiltInHandlers = {{
    {L"http", L"{79EAC9E2-BAF9-11CE-8C82-00AA004BA90B}", L"urlmon.dll"},
    {L"https", L"{79EAC9E5-BAF9-11CE-8C82-00AA004BA90B}", L"urlmon.dll"},
    {L"ftp", L"{79EAC9E3-BAF9-11CE-8C82-00AA004BA90B}", L"urlmon.dll"},
    {L"file", L"{79EAC9E7-BAF9-11CE-8C82-00AA004BA90B}", L"urlmon.dll"},
    {L"mk", L"{79EAC9E6-BAF9-11CE-8C82-00AA004BA90B}", L"urlmon.dll"},
    {L"res", L"{3050F3BC-98B5-11CF-BB82-00AA00BDCE0B}", L"mshtml.dll"},
    {L"about", L"{3050F406-98B5-11CF-BB82-00AA00BDCE0B}", L"mshtml.dll"},
    {L"javascript", L"{3050F3B2-98B5-11CF-BB82-00AA00BDCE0B}", L"mshtml.dll"},
    {L"vbscript", L"{3050F3B2-98B5-11CF-BB82-00AA00BDCE0B}", L"mshtml.dll"},
    {L"mailto", L"{3050F3DA-98B5-11CF-BB82-00AA00BDCE0B}", L"mshtml.dll"},
    {L"its", L"{9D148291-B9C8-11D0-A4CC-0000F80149F6}", L"itss.dll"},
    {L"ms-its", L"{9D148291-B9C8-11D0-A4CC-0000F80149F6}", L"itss.dll"},
}};

const BuiltInHandler* FindBuiltInHandler(const std::wstring& scheme) {
  const std::wstring lower = AsciiLower(scheme);
  for (const auto& handler : kBuiltInHandlers)
    if (lower == handler.scheme) return &handler;
  return nullptr;
}

}  // namespace

bool IsBuiltInScheme(const std::wstring& scheme) { return FindBuiltInHandler(scheme) != nullptr; }

bool IsFileDirectlyInFolders(const std::wstring& file, const std::vector<std::wstring>& folders) {
  const auto separator = file.find_last_of(L"\\/");
  if (separator == std::wstring::npos || separator + 1 >= file.size()) return false;
  return IsFileInFolders(file, file.substr(separator + 1), folders);
}

ProtocolOrigin OriginOfProtocol(ProtocolList list, const std::wstring& name, const std::wstring& classId,
                                const std::wstring& resolvedFile, const std::vector<std::wstring>& systemFolders) {
  if (list == ProtocolList::Handler) {
    if (const BuiltInHandler* builtIn = FindBuiltInHandler(name)) {
      const bool systemClass = AsciiUpper(classId) == builtIn->classId;
      const bool systemFile = IsFileInFolders(resolvedFile, builtIn->file, systemFolders);
      return systemClass && systemFile ? ProtocolOrigin::System : ProtocolOrigin::ReplacesBuiltIn;
    }
  }
  return IsFileDirectlyInFolders(resolvedFile, systemFolders) ? ProtocolOrigin::System : ProtocolOrigin::AddOn;
}

bool NamesSameEntry(const std::wstring& defaultScope, const std::wstring& entry) {
  return !defaultScope.empty() && defaultScope.size() == entry.size() && AsciiLower(defaultScope) == AsciiLower(entry);
}

}  // namespace discovery::text
