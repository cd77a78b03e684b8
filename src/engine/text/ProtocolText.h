#pragma once
// The rules of the protocol-handler and search-provider listings that need
// no registry: which handlers are the system's own, and whether a
// "DefaultScope" value names a provider. Platform-free.
#include <string>
#include <vector>

namespace discovery::text {

// The two lists of pluggable protocols below a classes key's "PROTOCOLS".
enum class ProtocolList { Handler, Filter };
// The list's key name: "Handler" or "Filter".
const wchar_t* ProtocolListName(ProtocolList list);

// True for the schemes the browser handles itself (http, https, ftp, file,
// mk, res, about, javascript, vbscript, mailto, its, ms-its), A-Z in any
// letter case; any other letter must match exactly.
bool IsBuiltInScheme(const std::wstring& scheme);

// True when file (a resolved full path) lies directly in one of folders,
// compared as IsFileInFolders compares.
bool IsFileDirectlyInFolders(const std::wstring& file, const std::vector<std::wstring>& folders);

// Whose a handler or filter is.
enum class ProtocolOrigin {
  AddOn,            // listed as any add-on
  System,           // the system's own: listed only when asked for
  ReplacesBuiltIn,  // a built-in scheme's name pointing at another class or file
};
// A handler of a built-in scheme is the system's only when its class is the
// one the system registers for that scheme and its server is that class's
// file directly in a system folder; any other handler of such a name
// replaces a built-in one. Any other entry is the system's when its server
// file lies directly in a system folder. A missing file alone makes nothing
// the system's.
ProtocolOrigin OriginOfProtocol(ProtocolList list, const std::wstring& name, const std::wstring& classId,
                                const std::wstring& resolvedFile, const std::vector<std::wstring>& systemFolders);

// True when a "DefaultScope" value names the provider key entry: the same
// text, A-Z in any letter case (registry names ignore case; provider keys
// are class ids). An empty value names nothing.
bool NamesSameEntry(const std::wstring& defaultScope, const std::wstring& entry);

}  // namespace discovery::text
