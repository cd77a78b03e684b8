#pragma once
// Text rules of add-on discovery: name cleaning, the entry tests, the file
// part of script addresses, the kinds of user subkey. Platform-free.
#include <cstddef>
#include <string>
#include <vector>

namespace discovery::text {

// The length of a braced CLSID string, "{00021493-0000-0000-C000-000000000046}".
constexpr std::size_t kClsidLength = 38;
bool HasClsidLength(const std::wstring& name);

// Removes every "&" (the menu accelerator mark).
std::wstring RemoveAmpersands(const std::wstring& name);
// Removes spaces (only the space character) at both ends.
std::wstring TrimSpaces(const std::wstring& text);
// Letter case of A-Z only: registry names compare the same either way, and
// other letters are kept as found so a name still finds its key.
std::wstring AsciiLower(const std::wstring& text);
std::wstring AsciiUpper(const std::wstring& text);

// True when file (a resolved full path) is the file named name directly in
// one of folders. Letter case of A-Z aside, "/" read as "\", a "\\?\"
// prefix and trailing separators of a folder ignored; no other letter is
// folded, so no two different files ever compare equal.
bool IsFileInFolders(const std::wstring& file, const std::wstring& name, const std::vector<std::wstring>& folders);

// True when a toolbar's resolved server file is one of the browser's or the
// shell's own libraries in a system folder (the folders a process of the
// entry's view loads system files from); such toolbars are built in and not
// listed. The same file name anywhere else is an add-on like any other.
bool IsBuiltInToolbarFile(const std::wstring& resolvedFile, const std::vector<std::wstring>& systemFolders);
// True for the browser's own explorer bars (CLSID in upper case).
bool IsBuiltInExplorerBar(const std::wstring& upperClsid);

// "res://" + file + "/" + page gives the file; any other text is returned
// as it is.
std::wstring ResourceAddressFile(const std::wstring& address);
// A context-menu script address: "res://" as above, "file://" + path gives
// the path, anything else is returned as it is.
std::wstring MenuScriptFile(const std::wstring& address);

// The combined name of a toolbar button / menu entry: the button text, or
// button text, a space and the menu text when they differ.
std::wstring CombinedButtonName(const std::wstring& button, const std::wstring& menu);
// The name shown for a toolbar button / menu entry, empty for the fallback.
std::wstring ButtonDisplayName(const std::wstring& button, const std::wstring& menu);

// Where a 32-bit process finds a file the registry names: a bare file name
// or a path in systemFolder becomes the same name in wow32Folder (the
// folder a 32-bit process sees as its system folder). Empty for any other
// name, and when either folder is unknown.
std::wstring Wow32SystemFile(const std::wstring& name, const std::wstring& systemFolder,
                             const std::wstring& wow32Folder);

// What a subkey of HKEY_USERS stands for.
enum class UserKeyKind {
  Default,  // ".DEFAULT" in any letter case
  Classes,  // ends with "_Classes" (any letter case): a user's class
            // registrations, not a user's own settings; never walked
  Sid,      // begins with "S-" (exact case): a security identifier to look up
  Other,    // anything else: no account
};
UserKeyKind ClassifyUserKey(const std::wstring& name);

}  // namespace discovery::text
