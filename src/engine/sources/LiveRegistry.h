#pragma once
// The running machine's registry as a RegistrySource: HKEY_LOCAL_MACHINE and
// HKEY_USERS as they are stored (the 64-bit view, never redirected; the
// 32-bit view is the Wow6432Node keys, read as any other key). Names go to
// the system counted, so a name with NUL or a line break reads exactly its
// own key or value. No symbolic link is followed: a link at the end of a
// path is the link key itself, and a path that would pass through one
// names no key. A key that refuses to be read exists, with nothing in it.
// Windows only.
//
// It keeps the key it opened last, so a run of reads from one key opens it
// once. Not for use from several threads at once.
#include <windows.h>

#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "engine/sources/RegistrySource.h"
#include "ozcore/UniqueHandle.h"

namespace engine {

class LiveRegistry final : public RegistrySource {
 public:
  LiveRegistry();
  ~LiveRegistry() override;
  LiveRegistry(const LiveRegistry&) = delete;
  LiveRegistry& operator=(const LiveRegistry&) = delete;

  bool KeyExists(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> SubKeyNames(Tree tree, const std::wstring& path) override;
  // From one listing of the key: each subkey's time comes with its name.
  std::vector<SubKeyInfo> SubKeysWithTimes(Tree tree, const std::wstring& path) override;
  std::vector<std::wstring> ValueNames(Tree tree, const std::wstring& path) override;
  std::optional<ValueData> ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                     std::size_t maxBytes) override;
  bool IsLink(Tree tree, const std::wstring& path) override;
  std::optional<std::uint64_t> LastWriteTime(Tree tree, const std::wstring& path) override;

 private:
  struct Opened {
    bool valid = false;
    Tree tree = Tree::Machine;
    std::wstring path;
    std::shared_ptr<UniqueKey> key;  // shared with the keys remembered below
    LONG error = ERROR_FILE_NOT_FOUND;
    std::optional<bool> link;  // asked once, when first needed
  };
  // The key tree\path, opened or taken from the last call; error says why
  // there is none (ERROR_ACCESS_DENIED: it is there but closed to us).
  Opened& Open(Tree tree, const std::wstring& path);
  // Opens path name by name below the nearest key already opened (a tree's
  // root, or one of the last few keys met), each name as itself.
  LONG OpenWalking(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out);
  // The same, each name opened below its parent, itself checked for a link.
  LONG OpenNameByName(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out);
  // A key to open others below: opened as above and known to be no link.
  LONG OpenParent(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out);
  LONG OpenWhole(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out);
  struct Anchor;
  Anchor* Find(Tree tree, const std::wstring& path);
  Anchor& Remember(Tree tree, const std::wstring& path, const std::shared_ptr<UniqueKey>& key, bool checked);
  // The key, unless it is a link, whose own names and values are not read.
  HKEY ReadableKey(Tree tree, const std::wstring& path);
  // The key to list subkeys of (none for a link), its subkey count and
  // longest subkey name.
  HKEY KeyToList(Tree tree, const std::wstring& path, DWORD& subKeys, DWORD& longestName);
  // The key as itself, link or not.
  HKEY OpenedKey(Tree tree, const std::wstring& path);
  bool OpenedIsLink();

  Opened last_;
  struct Anchor {
    Tree tree = Tree::Machine;
    std::wstring path;
    std::shared_ptr<UniqueKey> key;
    bool checked = false;  // whether it is a link has been asked
    bool isLink = false;
    std::uint64_t used = 0;  // when last found or remembered
  };
  static constexpr std::size_t kAnchors = 16;
  std::vector<Anchor> anchors_;
  std::uint64_t uses_ = 0;
  UniqueKey roots_[2];         // the two trees, Machine first
  std::wstring rootNames_[2];  // and the system's names for them
};

}  // namespace engine
