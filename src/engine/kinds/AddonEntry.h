#pragma once
// One add-on as the engine finds it: plain values, turned into text only
// where they are shown or stored. Platform-free.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/files/FileFacts.h"
#include "engine/sources/RegistrySource.h"
#include "ozcore/RegView.h"

namespace engine {

// Why an entry's file was not opened.
enum class FileNote { None, NetworkPath, DevicePath };

struct AddonEntry {
  std::int32_t kind = 0;          // the kind's table identifier
  std::wstring id;                // the entry's registry name
  std::wstring ownName;           // explorer bars, helper objects ("Name"); menu extensions ("name")
  std::wstring originalName;
  std::wstring displayName;
  std::wstring buttonText, menuText;  // toolbar buttons
  std::wstring rawFile;           // the file string as the registry holds it
  std::wstring file;              // the file it names, resolved
  // Where the entry is: its tree and the key holding it; no tree for the
  // kinds found through classes (explorer bars) or deleted by class id
  // (helper objects).
  std::optional<Tree> tree;
  std::wstring keyPath;
  std::wstring ownerSid;          // the user's hive an entry was found in
  std::wstring scope;             // "Affected users" as shown
  std::wstring category;          // explorer bars: the component category
  // File details: read (or refused) only for an entry with a file string.
  bool fileRead = false;
  std::optional<std::wstring> manufacturer;
  std::wstring version;
  std::wstring product;           // the file's product name
  FileNote fileNote = FileNote::None;
  RegView view = RegView::Default;
  std::wstring codeBase;          // ActiveX controls: the download address
  std::wstring protocolList;      // "Handler" or "Filter"
  std::wstring classId;           // protocols: the class the entry names
  std::optional<bool> system;     // protocols: a built-in scheme's name, the system's own or not
  std::wstring url;               // search providers
  std::optional<bool> isDefault;  // search providers: the user's default
  std::optional<std::uint64_t> lastWrite;  // the entry key's last write time
  // Added by the whole listing (ListAddons).
  std::optional<std::wstring> state;
  std::optional<std::wstring> signature;
  // The file's SHA-256 (64 lower-case hex digits), else the text saying why
  // it has none; both empty for an entry without a file string.
  std::wstring sha256, hashNote;
};

// What a listing reads: the registry and the files of one machine (live,
// an image, or memory), how it names accounts, and whose classes merge
// over the machine's.
struct MachineSources {
  RegistrySource& registry;
  FileFacts& files;
  // The account name (no domain) of a SID; empty when unknown.
  std::function<std::wstring(const std::wstring& sid)> accountName;
  // The HKEY_USERS subkey whose classes merge over the machine's.
  std::wstring classesUser;
  // The registry views listed, in order: the native view, then the 32-bit
  // one on a 64-bit machine; the one view elsewhere.
  std::vector<RegView> views{RegView::Native, RegView::Wow32};
  // The SIDs of users whose hives are read from their files because they
  // are not signed in: their entries say so and cannot be changed now.
  std::vector<std::wstring> usersNotSignedIn{};
};

}  // namespace engine
