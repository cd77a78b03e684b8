#pragma once
// What one discovery run shares: the machine's sources, the registry views
// it reads, and what the run has already read from files, so that a file
// named by several entries is opened once per run. Platform-free.
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/kinds/AddonEntry.h"
#include "engine/sources/RegistryView.h"

namespace discovery {

using engine::Root;

class DiscoveryRun {
 public:
  // machine: the sources; its views are the run's, in listing order.
  explicit DiscoveryRun(engine::MachineSources& machine);
  // A run over one view only.
  DiscoveryRun(engine::MachineSources& machine, RegView view);
  ~DiscoveryRun();
  DiscoveryRun(const DiscoveryRun&) = delete;
  DiscoveryRun& operator=(const DiscoveryRun&) = delete;

  engine::MachineSources& Machine() { return machine_; }
  const std::vector<RegView>& Views() const { return views_; }
  // The first view's registry: the one for keys both views share.
  engine::RegistryView& Registry() { return Registry(views_.front()); }
  engine::RegistryView& Registry(RegView view);

  // A string value as a listing shows it: a value too large to be read
  // gives "Value too large (N bytes), not read" where its text would be.
  bool ReadListedString(engine::RegistryView& registry, Root root, const std::wstring& path,
                        const std::wstring& name, std::wstring& out);

  // The first of views in which the class is registered; the first view
  // when it is registered in none.
  RegView ClassView(const std::wstring& clsid, const std::vector<RegView>& views);

  // What the listing makes of an entry's file string.
  struct ResolvedFile {
    std::wstring raw;       // as the registry holds it
    std::wstring file;      // the string as the view's process loads it
    std::wstring resolved;  // the full path shown
    engine::PathKind kind = engine::PathKind::Local;
    // Only a local file is ever searched for or read.
    bool Openable() const { return kind == engine::PathKind::Local; }
  };
  // A network or device path keeps the string as written and is not
  // searched for. A 32-bit process sees the system folder as the 32-bit
  // system folder: a bare name or a system-folder path of a 32-bit entry
  // becomes the file there, when it exists.
  ResolvedFile ResolveFile(const std::wstring& rawFile, RegView view);

  // The system folders a process of the view loads the system's own files
  // from.
  std::vector<std::wstring> SystemFolders(RegView view);

  // The version strings of a file, read once per run.
  const CStringDictionary& VersionStrings(const std::wstring& file);
  // An indirect "@file,-number" text resolved, once per run and view.
  std::wstring IndirectString(const std::wstring& text, RegView view = RegView::Default);

  // The entry's file details from the file named: "manufacturer" from
  // CompanyName, "version" from ProductVersion else FileVersion. When the
  // string gives no version resource but the resolved path does (a quoted
  // path, a "\??\" path), the resolved file is read instead. A file that
  // is not opened gets an empty version and a note saying why.
  void AddFileInfo(engine::AddonEntry& entry, const ResolvedFile& facts);

  // The name an explorer bar or helper object is listed under: its own
  // name, else the file's "ProductName", else the file's name, else
  // "(noname)"; ampersands removed.
  std::wstring ObjectName(const std::wstring& ownName, const ResolvedFile& facts);

  // A class as a process of the view finds it: its name (the class key's
  // default value) and its server's file (InProcServer32). A class id that
  // is empty or holds a "\" names no class: it would name another key.
  struct ClassFacts {
    std::wstring name;
    ResolvedFile file;
  };
  ClassFacts ReadClass(const std::wstring& clsid, RegView view);
  // The file's own name (no folder, no arguments), for an entry without a
  // name of its own; empty when there is no file.
  std::wstring FileNameOf(const ResolvedFile& facts);

  // What is known of the signature of an entry's file, checked once per
  // file in a run. A file that is not a full local drive path, or was not
  // opened while listing, is not checked.
  std::wstring SignatureText(const engine::AddonEntry& entry);

  // The "Affected users" text of a HKEY_USERS subkey: "Default" for
  // ".DEFAULT", the account name (no domain) for a SID, else empty; looked
  // up once per run.
  std::wstring ScopeForUserKey(const std::wstring& userKey);

 private:
  const CStringDictionary& FileVersionStrings(const ResolvedFile& facts);
  std::wstring FileSearchName(const std::wstring& fileString);
  std::wstring CheckedSignatureText(const std::wstring& file);

  engine::MachineSources& machine_;
  std::vector<RegView> views_;
  std::map<RegView, std::unique_ptr<engine::RegistryView>> registries_;
  std::unordered_map<std::wstring, CStringDictionary> versions_;
  std::unordered_map<std::wstring, std::wstring> indirect_, indirect32_;
  std::unordered_map<std::wstring, std::wstring> scopes_;
  std::unordered_map<std::wstring, std::wstring> signatures_;
};

}  // namespace discovery
