#pragma once
// The add-on record: a CResultNode whose ID is the entry's registry name and
// whose params hold the named values below, one value each. The tables show
// records by these values and delete an entry by "key" (the root, as the
// predefined handle value) and "hive" (the key path holding the entry).
#include <windows.h>

#include <cstdint>
#include <string>

#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CStringDictionary.h"

#include <vector>

namespace discovery::keys {
inline constexpr const wchar_t* kDisplayName = L"displayName";
inline constexpr const wchar_t* kOriginalName = L"originalName";
inline constexpr const wchar_t* kDll = L"dLL";
inline constexpr const wchar_t* kKey = L"key";
inline constexpr const wchar_t* kHive = L"hive";
inline constexpr const wchar_t* kScope = L"scope";
inline constexpr const wchar_t* kCatId = L"cATID";
inline constexpr const wchar_t* kName = L"Name";        // explorer bars, helper objects
inline constexpr const wchar_t* kMenuName = L"name";    // context-menu extensions
inline constexpr const wchar_t* kButtonText = L"buttontext";
inline constexpr const wchar_t* kMenuText = L"menutext";
inline constexpr const wchar_t* kManufacturer = L"manufacturer";
inline constexpr const wchar_t* kVersion = L"version";
// Why the file was not opened (a network or device path); present only
// then, after "version" and before "view".
inline constexpr const wchar_t* kFileNote = L"fileNote";
inline constexpr const wchar_t* kView = L"view";  // 64 or 32: the registry view of the entry
// ActiveX controls: the download address (shown, never opened).
inline constexpr const wchar_t* kCodeBase = L"codeBase";
// Protocol handlers and filters: the list ("Handler" or "Filter"), the
// class the entry names, and "system": 1 for the system's own, 0 for a
// built-in scheme's name that points at another class or file (present
// only for those two).
inline constexpr const wchar_t* kProtocolList = L"list";
inline constexpr const wchar_t* kClassId = L"classId";
inline constexpr const wchar_t* kSystem = L"system";
// Search providers: the search address (shown, never opened) and 1 for the
// provider the user's "DefaultScope" names, else 0.
inline constexpr const wchar_t* kUrl = L"url";
inline constexpr const wchar_t* kIsDefault = L"isDefault";
// Every kind, last: whether the add-on runs (for each user it applies to,
// under the policies), and what the platform says of its file's signature.
inline constexpr const wchar_t* kState = L"state";
inline constexpr const wchar_t* kSignature = L"signature";
}  // namespace discovery::keys

namespace discovery {

// A registry root as it travels in a record's "key": the 32-bit value of the
// predefined handle (HKEY_LOCAL_MACHINE is 0x80000002).
std::int32_t RootNumber(HKEY root);
HKEY RootFromNumber(std::int32_t number);

// The registry views discovery reads, in listing order: the 64-bit view,
// then the 32-bit one, on 64-bit Windows; the one view elsewhere.
std::vector<RegView> RegistryViews();
// A view as a record's "view" (64 or 32), and back. A record without a
// view, or a view this system does not have, gives the default view.
std::int32_t ViewNumber(RegView view);
RegView ViewOfRecord(const CResultNode& node);

// Adds "manufacturer" (CompanyName, when the file has one) and "version"
// (ProductVersion, else FileVersion, else empty) from a file's version
// strings.
void AddVersionDetails(CResultNode& node, const CStringDictionary& versionStrings);

}  // namespace discovery

namespace discovery {

// Reads the version resource of file and adds "manufacturer" and "version"
// to the record. A failure is logged ("MQLM.AddFileInfoToResultNode") and
// the record keeps what it has.
void AddFileInfoToResultNode(CResultNode& node, const std::wstring& file);

}  // namespace discovery
