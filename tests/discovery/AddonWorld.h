#pragma once
// A registry full of fixture add-ons of every kind, in every place and form
// discovery reads: the machine, the current user, ".DEFAULT", a well-known
// account (S-1-5-18), an unknown SID, a lower-case "s-" subkey and a subkey
// that is no SID; files as full, bare, short, "\??\", quoted, variable,
// res:// and file:// forms, and missing. Everything is removed again when
// the object goes. Needs the "ie-addon-registry" lock.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/kinds/AddonKinds.h"
#include "support/RegFixture.h"
#include "ozcore/CParams.h"

namespace qlmtest {

// The world's kinds, numbered as the program's table of kinds numbers them,
// so that a test can run once per entry of that table.
enum class AddonKind : std::int32_t {
  Toolbar = TableId::kToolbars,
  Button = TableId::kButtons,
  MenuExt = TableId::kMenuExtensions,
  ExplorerBar = TableId::kExplorerBars,
  Bho = TableId::kHelperObjects,
  UrlSearchHook = TableId::kUrlSearchHooks,
  ActiveX = TableId::kActiveXControls,
  Protocol = TableId::kProtocols,
  SearchProvider = TableId::kSearchProviders
};

struct ExpectedRecord {
  std::wstring id;
  std::vector<std::pair<std::wstring, ParamValue>> values;
};

// A record as text, for comparisons and failure messages.
std::wstring Describe(const ExpectedRecord& record);
ExpectedRecord FromNode(const CResultNode& node);

// Fixture files and the names tests expect for them.
struct FixtureFiles {
  std::wstring folder;      // ...\tests-bin\fixtures
  std::wstring company;     // maker, product and file version
  std::wstring german;      // version strings in a German block
  std::wstring fileOnly;    // file version only
  std::wstring noCompany;   // versions, no maker
  std::wstring noVersion;   // no version resource
  std::wstring strings;     // string table
  std::wstring systemFile;  // the full path of "shdocvw.dll" in the system folder
  FixtureFiles();
};

// The first record with that ID (and that view; 0: either); null if none.
inline const CResultNode* Find(const CResultNodes& list, const std::wstring& id, std::int32_t view = 0) {
  for (std::size_t i = 1; i <= list.Count(); ++i) {
    const CResultNode* node = list.Item(i);
    const CParam* v = node->params.Find(L"view");
    if (node->ID == id && (view == 0 || (v && v->Number() == view))) return node;
  }
  return nullptr;
}

// The current user's SID text and account name.
std::wstring CurrentUserSidText();
std::wstring CurrentUserName();

class AddonWorld {
 public:
  // The environment variable fixtures use in file strings.
  static constexpr const wchar_t* kFolderVariable = L"QLM_FIXTURES";

  AddonWorld();

  // What discovery must list for the fixtures, in listing order.
  std::vector<ExpectedRecord> Expected(AddonKind kind) const;
  // Only the records of this world, in the order found.
  std::vector<ExpectedRecord> Filter(AddonKind kind, const CResultNodes& list) const;
  // Entry names that must not be listed at all.
  std::vector<std::wstring> NeverListed(AddonKind kind) const {
    const auto it = never_.find(kind);
    return it == never_.end() ? std::vector<std::wstring>{} : it->second;
  }

 private:
  using Values = std::vector<std::pair<std::wstring, ParamValue>>;
  struct Entry {
    AddonKind kind;
    HKEY root;
    std::wstring location;  // key path enumerated (EB: the category)
    std::wstring name;      // value or subkey name as written
    ExpectedRecord record;
    bool numbered = false;  // toolbar display name still to be numbered
  };
  void AddToolbars();
  void AddButtons();
  void AddMenuExts();
  void AddExplorerBars();
  void AddBhos();
  // AddonWorldMoreKinds.cpp: machine and user entries, missing files and
  // names with NUL and line breaks.
  void AddUrlSearchHooks();
  void AddActiveXControls();
  void AddProtocols();
  void AddSearchProviders();
  // Records an entry of the world, found by enumerating location: the
  // kind's own values, then where it is (root null: the machine's classes),
  // its file's details (unless fileInfo is false) and its view.
  void AddEntry(AddonKind kind, HKEY root, const std::wstring& location, const std::wstring& name, Values values,
                const std::wstring& scope, const std::wstring& infoFile, bool fileInfo = true, bool numbered = false);
  // A class with a name and a server file (values not written when empty
  // and the key is left out when both are nullptr).
  void AddClass(const std::wstring& clsid, const wchar_t* name, const wchar_t* file, DWORD fileType = REG_SZ);
  // Expected "manufacturer" and "version" of a file.
  void FileInfo(ExpectedRecord& record, const std::wstring& file) const;
  // A user's scope: the current user's name, "Default", "SYSTEM".
  std::wstring Scope(std::size_t user) const;

  FixtureFiles files_;
  RegFixture reg_;
  std::vector<Entry> entries_;
  std::map<AddonKind, std::set<std::wstring>> ids_;
  std::map<AddonKind, std::vector<std::wstring>> never_;
  std::vector<std::wstring> userKeys_;  // the HKEY_USERS subkeys the world uses
};

}  // namespace qlmtest
