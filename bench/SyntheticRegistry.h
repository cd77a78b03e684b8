#pragma once
// A made-up machine with many add-ons of every kind, for timing
// discovery and the backup at scale: realistic names (repeats included),
// files that exist (the demo add-on DLLs and system libraries) and files
// that do not, entries for the machine and for many user hives, both
// explorer-bar categories. Everything it writes it removes again.
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// Entries of a kind the benchmark makes at most (the leftovers of a stopped
// run are looked for up to this number).
constexpr std::size_t kLargestRegistry = 20000;

struct RegistryShape {
  std::size_t addonsPerKind = 10;  // entries of each kind, all locations together
  std::size_t userHives = 1;       // the current user's hive plus made-up ones
};

class SyntheticRegistry {
 public:
  // demoRoot: the folder the demo add-on DLLs were copied to
  // ("C:\Program Files\QlmBench"), holding one folder per vendor.
  SyntheticRegistry(const RegistryShape& shape, std::wstring demoRoot);
  ~SyntheticRegistry();
  SyntheticRegistry(const SyntheticRegistry&) = delete;
  SyntheticRegistry& operator=(const SyntheticRegistry&) = delete;

  // The HKEY_USERS subkeys that hold entries (the current user first).
  const std::vector<std::wstring>& UserKeys() const { return users_; }
  std::size_t KeysWritten() const { return keysWritten_; }

  // Copies the demo DLLs from demoFiles (a folder of the build) into
  // demoRoot, one folder per vendor. True when all were copied.
  static bool InstallDemoFiles(const std::wstring& demoFiles, const std::wstring& demoRoot);

 private:
  struct Written {
    HKEY root;
    std::wstring path;   // key path
    std::wstring value;  // value name to delete, or empty to delete the key tree
    bool isValue;
  };
  void Build();
  // URL search hooks, downloaded controls, protocols and search providers.
  void BuildNewerKinds();
  // A class of the kind's entry i with a name (mostly) and a server file.
  void Server(unsigned kind, std::size_t i, const std::wstring& clsid);
  void Remove();
  void RemoveLeftovers();
  std::wstring Clsid(unsigned kind, std::size_t index) const;
  // A file string for entry i of a kind: a demo DLL in one of several
  // forms, a system library, or a file that does not exist.
  std::wstring FileFor(unsigned kind, std::size_t i, DWORD& type) const;
  void Key(HKEY root, const std::wstring& path, bool track);
  void Str(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
           DWORD type = REG_SZ);
  void Dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
  // The location (root, list key) of entry i of a per-user kind.
  void Location(std::size_t i, const std::wstring& userTail, const std::wstring& machinePath, HKEY& root,
                std::wstring& path) const;

  RegistryShape shape_;
  std::wstring demoRoot_;
  std::vector<std::wstring> users_;
  std::vector<std::wstring> madeUpUsers_;
  std::vector<Written> written_;
  std::size_t keysWritten_ = 0;
};

// The current user's HKEY_USERS subkey (its SID text).
std::wstring CurrentUserKey();

}  // namespace bench
