#pragma once
// What one discovery run shares: the registry views it reads, the file
// resolver it was given, and what the run has already read from files, so
// that a file named by several entries is opened once per run.
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/kinds/AddonRecord.h"
#include "engine/files/PathKind.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CStringDictionary.h"

class FileResolver;

namespace discovery {

// A string value as a listing shows it: CRegistry::ReadString, except that a
// value too large to be read gives "Value too large (N bytes), not read"
// (true) where its text would be.
bool ReadListedString(CRegistry& registry, HKEY root, const std::wstring& path, const std::wstring& name,
                      std::wstring& out);

class DiscoveryRun {
 public:
  // files: resolves the entries' file strings; its answers outlive the run.
  // views: the registry views the run reads, in listing order (64-bit
  // Windows: the native view, then the 32-bit one).
  explicit DiscoveryRun(FileResolver& files, std::vector<RegView> views = RegistryViews());
  DiscoveryRun(FileResolver& files, RegView view);
  ~DiscoveryRun();
  DiscoveryRun(const DiscoveryRun&) = delete;
  DiscoveryRun& operator=(const DiscoveryRun&) = delete;

  const std::vector<RegView>& Views() const { return views_; }
  // The first view's registry: the one for keys both views share.
  CRegistry& Registry() { return Registry(views_.front()); }
  CRegistry& Registry(RegView view);

  // The first of views in which the class is registered; the first view
  // when it is registered in none.
  RegView ClassView(const std::wstring& clsid, const std::vector<RegView>& views);

  // The file a process of the view loads for a raw file string: a 32-bit
  // process sees the system folder as the 32-bit system folder, so a bare
  // name or a system-folder path of a 32-bit entry becomes the file there,
  // when it exists. Any other string is returned as it is.
  std::wstring FileInView(const std::wstring& rawFile, RegView view);

  // The record's "dLL" for a raw file string (through the run's file
  // resolver), read as a process of the view reads
  // it.
  std::wstring FullFileName(const std::wstring& rawFile, RegView view = RegView::Default);

  // What the listing makes of an entry's file string.
  struct FileFacts {
    std::wstring file;      // the string as the view's process loads it
    std::wstring resolved;  // the record's "dLL"
    PathKind kind = PathKind::Local;
    // Only a local file is ever searched for or read.
    bool Openable() const { return kind == PathKind::Local; }
  };
  // The file facts of a raw file string of the view. A network or device
  // path keeps the string as written and is not searched for.
  FileFacts ResolveFile(const std::wstring& rawFile, RegView view);

  // The system folders a process of the view loads the system's own files
  // from (the 32-bit system folder for the 32-bit view).
  std::vector<std::wstring> SystemFolders(RegView view);

  // The version strings of a file, read once per run (through the file
  // gate: a full local drive path only).
  const CStringDictionary& VersionStrings(const std::wstring& file);

  // An indirect "@file,-number" text resolved, once per run and view.
  std::wstring IndirectString(const std::wstring& text, RegView view = RegView::Default);

  // Adds "manufacturer" and "version" from the file the kind names. When
  // that string gives no version resource but the resolved path does (a
  // quoted path, a "\??\" path), the resolved file is read instead. A
  // failure is logged as in discovery::AddFileInfoToResultNode. A file that is
  // not opened gets an empty "version" and a "fileNote" saying why.
  void AddFileInfo(CResultNode& node, const FileFacts& facts);

  // The name an explorer bar or helper object is listed under: its own
  // name, else the file's "ProductName" version string (same reading rule
  // as AddFileInfo), else the file's name, else "(noname)"; ampersands
  // removed.
  std::wstring ObjectName(const std::wstring& ownName, const FileFacts& facts);

  // A class as a process of the view finds it: its name (the class key's
  // default value) and the file facts of its server (InProcServer32). A
  // class id that is empty or holds a "\\" names no class: it would name
  // another key.
  struct ClassFacts {
    std::wstring name;
    std::wstring rawFile;  // the server's file string as written
    FileFacts file;
  };
  ClassFacts ReadClass(const std::wstring& clsid, RegView view);
  // The file's own name (no folder, no arguments), for an entry without a
  // name of its own; empty when there is no file.
  static std::wstring FileNameOf(const FileFacts& facts);

  // What the platform says of the signature of a record's file ("dLL"),
  // checked once per file in a run. A file that is not a full local drive
  // path, or was not opened while listing ("fileNote"), is not checked.
  std::wstring SignatureText(const CResultNode& record);

  // The scope text of a HKEY_USERS subkey, looked up once per run.
  std::wstring ScopeForUserKey(const std::wstring& userKey);

 private:
  const CStringDictionary& FileVersionStrings(const FileFacts& facts);
  std::wstring CheckedSignatureText(const std::wstring& file);
  void ReadSystemFolders();

  std::vector<RegView> views_;
  std::map<RegView, std::unique_ptr<CRegistry>> registries_;
  std::wstring systemFolder_, wow32SystemFolder_;  // read when first needed
  FileResolver& files_;
  std::unordered_map<std::wstring, CStringDictionary> versions_;
  std::unordered_map<std::wstring, std::wstring> indirect_, indirect32_;
  std::unordered_map<std::wstring, std::wstring> scopes_;
  std::unordered_map<std::wstring, std::wstring> signatures_;
};

}  // namespace discovery
