#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ozcore/CStringDictionary.h"
#include "ozcore/OzCoreExport.h"
#include "ozcore/RegView.h"


// A part of a key tree that an export left out, and why. Names are exact
// (counted): show them through an escape before they reach a log line.
enum class RegOmissionReason {
  NameNotCarried,  // the export format cannot give the name back exactly
  Link,            // a symbolic link: never followed, never exported
  Unreadable,      // the key or value could not be read
  TooDeep,         // below the registry's nesting limit
  TooLarge,        // a value larger than an export keeps
};
struct RegOmission {
  std::wstring key;    // full key name, root spelled out
  std::wstring value;  // the value's name when isValue
  bool isValue = false;
  RegOmissionReason reason = RegOmissionReason::Unreadable;
};

// Registry access for the program. Roots are the predefined handles
// (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_USER);
// key paths are relative to them, "" meaning the root itself. No operation
// throws; failures give false or an empty result. Names are counted: a
// key or value name may hold NUL or a line break and still names exactly
// its own key ("\" separates keys, as no key name can hold one).
//
// An object keeps the key it opened last, so a run of reads from one key
// opens it once. Create one object per task (one discovery run, one backup)
// rather than keeping one for the life of the program.
class OZCORE_API CRegistry {
 public:
  explicit CRegistry(RegView view = RegView::Default);
  ~CRegistry();
  CRegistry(const CRegistry&) = delete;
  CRegistry& operator=(const CRegistry&) = delete;

  RegView View() const;

  // String value (name "" = the key's default value). REG_SZ as stored up to
  // its first NUL; REG_EXPAND_SZ with environment variables expanded (in
  // the 32-bit view, with the values a 32-bit process sees). Any
  // other type counts as not present. On false, out is left empty.
  // No value over kMaxReadValueBytes is ever read, only its size asked:
  // such a string gives false, and tooLargeBytes (when given) its size in
  // bytes; it is 0 after every other answer.
  bool ReadString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& out,
                  std::uint64_t* tooLargeBytes = nullptr);
  // REG_DWORD value (a larger value is not read). On false, out is 0.
  bool ReadDWORD(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t& out);

  bool KeyExists(HKEY root, const std::wstring& path);

  // Names of the subkeys / values of a key, in the order the registry gives
  // them (item and key are the name). Empty for a missing key.
  CStringDictionary EnumSubKeys(HKEY root, const std::wstring& path);
  CStringDictionary EnumValueNames(HKEY root, const std::wstring& path);

  // CLSID strings (as stored) of the classes under HKEY_CLASSES_ROOT\CLSID
  // that have the key "Implemented Categories\<category>".
  CStringDictionary EnumCategoryClasses(const std::wstring& category);
  // The same for several categories in one pass over the classes: one
  // dictionary per category, in the order of categories. Each class is
  // visited once however many categories are asked for.
  std::vector<CStringDictionary> EnumCategoryClasses(const std::vector<std::wstring>& categories);

  // Sets a REG_SZ value (name: one of the program's own, without NUL),
  // making the keys of path that are missing. Never writes through a link:
  // each key is opened or made relative to the one before, itself rather
  // than a link's target (a link planted while the write runs included),
  // and checked by the name the system gives it; a key on the way that is
  // a symbolic link ends the write. True when the value was written.
  bool WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
  // Sets a REG_DWORD value the same way.
  bool WriteDWORD(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t value);

  // True when the value was deleted. A key that is a symbolic link is
  // never written through.
  bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name);
  // Deletes the key with everything below it. The key is opened once, with
  // the rights deletion needs and without following a link, and deleted
  // through that handle; a link goes itself (never its target), and the
  // keys below are walked without following links. On failure errorText
  // holds the system's message for the error.
  bool DeleteKey(HKEY root, const std::wstring& path, std::wstring& errorText);
  // DeleteKey, then, through the same handle of the key's parent, the
  // parent's string value valueName when clearWhen(its text) is true: a
  // value that names the entry deleted goes with it, from the key the
  // entry was in.
  bool DeleteKeyThenValue(HKEY root, const std::wstring& path, const std::wstring& valueName,
                          const std::function<bool(const std::wstring& text)>& clearWhen, std::wstring& errorText);
  // Deletes the key with everything below it only when neither it nor any
  // key on its way from the root is a symbolic link: each key is opened
  // relative to the one before, itself rather than a link's target, and
  // checked by the name the system gives it; the key goes through the
  // handle of its parent that passed the checks.
  bool DeleteKeyWithoutLinks(HKEY root, const std::wstring& path, std::wstring& errorText);

  // The key and everything below it in the registry editor's export format
  // (version 5.00): for each key a blank line, the key line in brackets with
  // the root spelled out, then its values. Empty for a missing key.
  // forAnsiFile: for a "REGEDIT4" file, whose hex(2) and hex(7) data are
  // in the ANSI code page rather than UTF-16.
  // Links are never followed; a name the format cannot carry back, a link,
  // a part that could not be read, a value over kMaxExportValueBytes and
  // anything below the registry's nesting limit are left out and, when
  // omitted is given, listed there.
  std::wstring ExportKeyText(HKEY root, const std::wstring& path, bool forAnsiFile = false);
  std::wstring ExportKeyText(HKEY root, const std::wstring& path, bool forAnsiFile, std::vector<RegOmission>* omitted);
  static constexpr std::size_t kMaxExportValueBytes = 1024 * 1024;
  // The largest value a read takes whole: no add-on needs more, and a
  // hostile 64 MB value must not cost 64 MB.
  static constexpr std::size_t kMaxReadValueBytes = kMaxExportValueBytes;
  static constexpr int kMaxKeyDepth = 512;

  // The full name of a predefined root ("HKEY_LOCAL_MACHINE"); empty for
  // any other handle.
  static std::wstring RootName(HKEY root);

  // True on 64-bit Windows, whose registry has a 32-bit view beside the
  // native one (whatever the bitness of this process).
  static bool HasWow32View();

 private:
  bool WriteValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const BYTE* data,
                  DWORD size);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
