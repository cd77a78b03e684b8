#pragma once
// The one table of add-on kinds: what each kind is called, where the
// browser finds its entries, which routine lists them and which registry
// trees a backup must hold so that a merge brings them back. The category
// tree, the table host, the tables, discovery, the backup and qmscan all
// read it. Adding a kind: one entry here, its listing routine, its table
// class (ui/tables/TableFactory.cpp). Platform-free.
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/kinds/AddonEntry.h"

// Table identifiers: how the tree, the host and the tables name a kind.
namespace TableId {
constexpr std::int32_t kToolbars = 3;
constexpr std::int32_t kButtons = 4;
constexpr std::int32_t kMenuExtensions = 5;
constexpr std::int32_t kExplorerBars = 6;
constexpr std::int32_t kHelperObjects = 7;
constexpr std::int32_t kUrlSearchHooks = 8;
constexpr std::int32_t kActiveXControls = 9;
constexpr std::int32_t kProtocols = 10;
constexpr std::int32_t kSearchProviders = 11;
}  // namespace TableId

namespace discovery {

using ListingRoutine = std::vector<engine::AddonEntry> (*)(engine::MachineSources& machine);

struct AddonKind {
  std::int32_t id;                // TableId
  const wchar_t* scanName;        // qmscan's "kind" value
  const wchar_t* typeName;        // the table's name in log contexts
  unsigned caption;               // string id: tree node and table caption
  std::vector<unsigned> columns;  // string ids of the column captions
  std::vector<unsigned> emptyTexts;  // the one row of an empty table, per column
  unsigned brokenText;            // the file error of an entry without a file
  unsigned deleteTitle;           // the title of the deletion's messages
  // Where the entries are: below HKEY_LOCAL_MACHINE, and below each user's
  // hive (and HKEY_CURRENT_USER); empty when the kind has none there.
  const wchar_t* machinePath;
  const wchar_t* userPath;
  bool entriesAreValues;          // entries are the location's values, not its subkeys
  // Component categories whose member classes are the entries (explorer
  // bars); their category keys go into the backup.
  std::vector<const wchar_t*> categories;
  ListingRoutine list;
  // The backup file spells a location as it always has; null: as above.
  const wchar_t* backupMachineSpelling = nullptr;
  const wchar_t* backupUserSpelling = nullptr;
  // The machine location is one key in both registry views (the registry
  // shares it rather than keeping a 32-bit twin): it is read once, its
  // entries' classes looked up in each view, and backed up once.
  bool machineSharedByViews = false;
  // The browser turns the kind's add-ons on and off by their id, per user
  // (Ext\Settings), and its policies name them: their state is read and
  // Turn Off / Turn On apply.
  bool stateById = false;
};

// Every kind, in the order of the tree, the tables and qmscan's output.
const std::vector<AddonKind>& AddonKinds();
// The kind with that table identifier; nullptr for none.
const AddonKind* FindKind(std::int32_t id);
// The kind's table identifier must be one of the list's.
const AddonKind& Kind(std::int32_t id);

// A key tree the backup holds, in file order: the machine's locations and
// the current user's, kind by kind.
struct BackupTree {
  bool machine;  // HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER
  const wchar_t* path;
  bool sharedByViews = false;  // a machine tree without a 32-bit twin
};
std::vector<BackupTree> BackupTrees();
// The per-user locations (below a HKEY_USERS subkey).
std::vector<const wchar_t*> UserLocations();
// Every kind's categories, in kind order.
std::vector<const wchar_t*> BackupCategories();

}  // namespace discovery
