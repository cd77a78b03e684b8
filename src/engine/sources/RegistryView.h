#pragma once
// A registry source as a process of one view reads it: the 32-bit view's
// redirected keys (Wow6432Node), and the classes root that merges a user's
// class registrations over the machine's. The rules are the platform's,
// applied here so that every source (live, memory, hive files) is read
// alike. Platform-free.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/sources/RegistrySource.h"
#include "ozcore/RegView.h"

namespace engine {

// The roots the engine names keys by: HKEY_LOCAL_MACHINE, HKEY_USERS and
// the merged HKEY_CLASSES_ROOT.
enum class Root { Machine, Users, Classes };

// Where a view reads a key of a root: one place, or two for a classes key
// (the user's first).
struct SourcePlace {
  Tree tree = Tree::Machine;
  std::wstring path;
};

// The path of a key below HKEY_LOCAL_MACHINE as the 32-bit view stores it:
// below "SOFTWARE" redirected to "SOFTWARE\Wow6432Node", except the keys
// the platform shares between the views ("SOFTWARE\Classes" but for its
// class, interface and media keys, the policies, ...).
std::wstring Wow32MachinePath(const std::wstring& path);
// The same for a path below a user's hive ("<SID>\...": only the user's
// class keys are redirected) or a user's classes hive ("<SID>_Classes\...").
std::wstring Wow32UsersPath(const std::wstring& path);
// The same for a path below a classes root ("CLSID\{...}").
std::wstring Wow32ClassesPath(const std::wstring& path);

// Expands "%NAME%" references of a REG_EXPAND_SZ text as a process of the
// view reads them (true: a 32-bit process).
using TextExpander = std::function<std::wstring(const std::wstring& text, bool as32BitProcess)>;

class RegistryView {
 public:
  // view: RegView::Wow32 reads the 32-bit view; any other the native one.
  // classesUser: the HKEY_USERS subkey whose "<key>_Classes" hive is merged
  // over the machine's classes; empty for the machine's classes alone.
  RegistryView(RegistrySource& source, RegView view, const std::wstring& classesUser, TextExpander expand);

  RegView View() const { return view_; }
  RegistrySource& Source() { return source_; }
  bool Is32Bit() const { return view_ == RegView::Wow32; }

  std::vector<SourcePlace> PlacesOf(Root root, const std::wstring& path) const;

  bool KeyExists(Root root, const std::wstring& path);
  // Merged for the classes root: the user's names, then the machine's that
  // the user has not.
  std::vector<std::wstring> SubKeys(Root root, const std::wstring& path);
  std::vector<std::wstring> ValueNames(Root root, const std::wstring& path);
  // The subkeys with the times LastWriteTime gives them, from one listing
  // where the source can.
  std::vector<SubKeyInfo> SubKeysWithTimes(Root root, const std::wstring& path);
  // The value from the first place that has it.
  std::optional<ValueData> ReadValue(Root root, const std::wstring& path, const std::wstring& name,
                                     std::size_t maxBytes = kMaxReadValueBytes);
  // REG_SZ up to its first NUL, REG_EXPAND_SZ expanded; any other type
  // counts as missing. A string too large to read gives false and its size
  // in tooLargeBytes (when given; 0 after every other answer).
  bool ReadString(Root root, const std::wstring& path, const std::wstring& name, std::wstring& out,
                  std::uint64_t* tooLargeBytes = nullptr);
  // REG_DWORD only.
  std::optional<std::uint32_t> ReadDword(Root root, const std::wstring& path, const std::wstring& name);
  std::optional<std::uint64_t> LastWriteTime(Root root, const std::wstring& path);
  bool IsLink(Root root, const std::wstring& path);

  // The class ids below the classes root's "CLSID" that declare each
  // category ("Implemented Categories\<category>"), one list per category.
  std::vector<std::vector<std::wstring>> CategoryClasses(const std::vector<std::wstring>& categories);

 private:
  std::wstring UserClassesStorage(const std::wstring& path) const;

  RegistrySource& source_;
  mutable std::map<std::wstring, bool> classesHives_;  // "<SID>_Classes" -> there
  RegView view_;
  std::wstring userClasses_;  // "<SID>_Classes", when that hive is there
  TextExpander expand_;
};

// A REG_SZ / REG_EXPAND_SZ value's text up to its first NUL (a stray odd
// byte dropped).
std::wstring StringOfValue(const ValueData& value);

}  // namespace engine
