#pragma once
// An add-on of any kind of the program's table of kinds, written where the
// browser reads it and as an installer would: the entry (a value or a key,
// named exactly as given, NUL and line breaks included), and its class
// with a name and a file where the kind has one. Removed with the fixture.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/HostileRegistry.h"
#include "support/RegFixture.h"

namespace qlmtest {

// Where an entry goes: the machine (either view), or a user's hive.
struct Place {
  HKEY root;
  std::wstring user;   // the HKEY_USERS subkey with its "\"; "" otherwise
  bool wow32 = false;  // the 32-bit view's machine keys
};
inline const Place kMachine{HKEY_LOCAL_MACHINE, L""};
inline const Place kMachine32{HKEY_LOCAL_MACHINE, L"", true};
inline const Place kCurrentUser{HKEY_CURRENT_USER, L""};
inline const Place kDefaultUser{HKEY_USERS, L".DEFAULT\\"};

struct KindEntry {
  std::wstring id;        // the record's ID
  HKEY root;
  std::wstring location;  // the key holding the entry, below root
  std::wstring name;      // the entry: a value of location, or its subkey
  bool isValue;
  // The entry's key (a value's: its location) as a snapshot names it.
  std::wstring Key() const;
};

class KindEntries {
 public:
  explicit KindEntries(RegFixture& reg) : reg_(reg) {}
  // An entry named name (empty: a new class id; a menu extension and a
  // protocol handler show their name, so theirs is display when empty) at
  // place, its class named display; file empty: the entry names no file.
  KindEntry Add(std::int32_t kind, const Place& place, const std::wstring& display, const std::wstring& file,
                std::wstring name = {});
  // Where the kind's entries at place are.
  static std::wstring Location(std::int32_t kind, const Place& place);
  // Every key this fixture wrote into, for snapshots.
  const std::vector<hostile::Area>& Areas() const { return areas_; }

 private:
  void Note(HKEY root, const std::wstring& path);
  void Class(const Place& place, const std::wstring& id, const std::wstring& display, const std::wstring& file);
  RegFixture& reg_;
  std::vector<hostile::Area> areas_;
};

// Entries of every kind in every place the kind has (the machine's two
// views, the current user, ".DEFAULT"), each naming its file in the next of
// the forms the registry holds (a full path, a variable, a quoted command
// with an argument, a bare system file's name, none), with the kind's id.
std::vector<std::pair<std::int32_t, KindEntry>> AddEveryKindEverywhere(KindEntries& entries);

}  // namespace qlmtest
