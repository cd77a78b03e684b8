#pragma once
// The add-on record as the window, qmscan and the saved inventories have
// always had it: a CResultNode whose ID is the entry's registry name and
// whose params hold the named values below, one value each, in each kind's
// order. Entries become records here and nowhere else. Platform-free.
#include <cstdint>
#include <string>

#include "engine/kinds/AddonEntry.h"
#include "ozcore/CParams.h"

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
// Every kind, after those: where the listing was read ("live" or
// "offline") and the entry key's last write time (ISO 8601 UTC, empty when
// unknown), at the end so that earlier columns keep their place.
inline constexpr const wchar_t* kSource = L"source";
inline constexpr const wchar_t* kLastWritten = L"lastWritten";
// After those, for an entry with a file string: its file's SHA-256, or why
// there is none.
inline constexpr const wchar_t* kSha256 = L"sha256";
inline constexpr const wchar_t* kHashNote = L"hashNote";
inline constexpr const wchar_t* kProduct = L"product";
}  // namespace discovery::keys

namespace discovery {

// A record's "key": the 32-bit value of the predefined handle of the root
// holding the entry, as saved inventories have it.
constexpr std::int32_t kMachineRootNumber = static_cast<std::int32_t>(0x80000002u);
constexpr std::int32_t kUsersRootNumber = static_cast<std::int32_t>(0x80000003u);

// A view as a record's "view" (64 or 32); the default view is the
// program's own (64).
std::int32_t ViewNumber(RegView view);

// Where a listing was read: the running machine or an image's files.
enum class RecordSource { Live, Offline };

// A last write time (100-nanosecond intervals since 1601) as ISO 8601 UTC
// to the second ("2024-05-01T12:34:56Z").
std::wstring IsoTime(std::uint64_t fileTime);

// The record of an entry: today's names in each kind's order, "state" and
// "signature" when the entry has them, then "source" and "lastWritten", then
// "sha256" or "hashNote" when the entry has either, then "product" when its
// file names one.
CResultNode ToRecord(const engine::AddonEntry& entry, RecordSource source = RecordSource::Live);
CResultNodes ToRecords(const std::vector<engine::AddonEntry>& entries, RecordSource source = RecordSource::Live);

}  // namespace discovery
