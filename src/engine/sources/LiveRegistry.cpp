#include "engine/sources/LiveRegistry.h"

#include <algorithm>

#include "engine/sources/MemoryRegistry.h"
#include "ozcore/NativeRegistry.h"
#include "ozcore/RegistryWalk.h"

namespace engine {
namespace {

// Raw storage: a 64-bit process is never redirected, and the flag says so
// to any layer that would redirect.
constexpr REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY;

HKEY RootOf(Tree tree) { return tree == Tree::Machine ? HKEY_LOCAL_MACHINE : HKEY_USERS; }
int IndexOf(Tree tree) { return tree == Tree::Machine ? 0 : 1; }

// The path with its empty names dropped, as the other sources read it.
std::wstring Normalised(const std::wstring& path) {
  if (path.empty() || (path.front() != L'\\' && path.back() != L'\\' && path.find(L"\\\\") == std::wstring::npos))
    return path;
  std::wstring out;
  for (const auto& name : SplitKeyPath(path)) {
    if (!out.empty()) out.push_back(L'\\');
    out += name;
  }
  return out;
}

bool SameKeyName(const std::wstring& a, const std::wstring& b) {
  if (a == b) return true;
  return a.size() == b.size() &&
         CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
             CSTR_EQUAL;
}

}  // namespace

LiveRegistry::LiveRegistry() {
  for (const Tree tree : {Tree::Machine, Tree::Users}) {
    UniqueKey& root = roots_[IndexOf(tree)];
    if (nativereg::OpenRoot(RootOf(tree), kReadAccess, root) == ERROR_SUCCESS)
      rootNames_[IndexOf(tree)] = nativereg::KernelName(root.get());
  }
}

LiveRegistry::~LiveRegistry() = default;

LiveRegistry::Opened& LiveRegistry::Open(Tree tree, const std::wstring& rawPath) {
  std::wstring path = Normalised(rawPath);
  if (last_.valid && last_.tree == tree && last_.path == path) return last_;
  last_ = Opened{};
  last_.valid = true;
  last_.tree = tree;
  last_.path = std::move(path);
  if (!roots_[IndexOf(tree)] || rootNames_[IndexOf(tree)].empty()) return last_;
  last_.error = OpenWalking(tree, last_.path, last_.key);
  return last_;
}

LONG LiveRegistry::OpenWalking(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out) {
  if (path.empty()) {
    auto root = std::make_shared<UniqueKey>();
    const LONG rc = nativereg::OpenRoot(RootOf(tree), kReadAccess, *root);
    if (rc == ERROR_SUCCESS) out = std::move(root);
    return rc;
  }
  if (Anchor* known = Find(tree, path)) {
    out = known->key;
    return ERROR_SUCCESS;
  }
  // Two names below the nearest key already open (a class's subkey below
  // the classes' key) are opened in one call; it counts only when the name
  // the system gives what it opened is the path itself, so no link on the
  // way was followed. Every other answer (a link met, a key closed to us)
  // is settled name by name, as are one name and more than two, whose
  // parents are met again (a location, the classes' key).
  std::size_t slash = path.rfind(L'\\');
  Anchor* base = nullptr;
  while (slash != std::wstring::npos && slash > 0 && !(base = Find(tree, path.substr(0, slash))))
    slash = path.rfind(L'\\', slash - 1);
  if (!base) slash = std::wstring::npos;
  const std::wstring rest = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t inner = rest.find(L'\\');
  if (inner == std::wstring::npos || rest.find(L'\\', inner + 1) != std::wstring::npos)
    return OpenNameByName(tree, path, out);
  if (base && !base->checked) {
    base->isLink = nativereg::IsLink(base->key->get());
    base->checked = true;
  }
  if (base && base->isLink) return ERROR_FILE_NOT_FOUND;
  auto key = std::make_shared<UniqueKey>();
  const LONG rc =
      nativereg::OpenKey(base ? base->key->get() : roots_[IndexOf(tree)].get(), rest, kReadAccess, true, *key);
  if (rc == ERROR_FILE_NOT_FOUND) return rc;
  if (rc != ERROR_SUCCESS ||
      !SameKeyName(nativereg::KernelName(key->get()), rootNames_[IndexOf(tree)] + L"\\" + path))
    return OpenNameByName(tree, path, out);
  Remember(tree, path, key, false);
  out = std::move(key);
  return ERROR_SUCCESS;
}

LONG LiveRegistry::OpenNameByName(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out) {
  // The last name is opened as itself below its parent, which was opened
  // the same way and is known to be no link: nothing is ever reached
  // through a link.
  const std::size_t slash = path.rfind(L'\\');
  std::shared_ptr<UniqueKey> parent;
  if (slash != std::wstring::npos) {
    const LONG rc = OpenParent(tree, path.substr(0, slash), parent);
    if (rc == ERROR_ACCESS_DENIED) return OpenWhole(tree, path, out);
    if (rc != ERROR_SUCCESS) return rc;
  }
  auto key = std::make_shared<UniqueKey>();
  const LONG rc = nativereg::OpenKey(parent ? parent->get() : roots_[IndexOf(tree)].get(),
                                     slash == std::wstring::npos ? path : path.substr(slash + 1), kReadAccess, true, *key);
  if (rc != ERROR_SUCCESS) return rc;
  Remember(tree, path, key, false);
  out = std::move(key);
  return ERROR_SUCCESS;
}

LONG LiveRegistry::OpenParent(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out) {
  Anchor* known = Find(tree, path);
  if (!known) {
    std::shared_ptr<UniqueKey> key;
    const LONG rc = OpenWalking(tree, path, key);
    if (rc != ERROR_SUCCESS) return rc;
    known = Find(tree, path);
    if (!known) known = &Remember(tree, path, key, false);
  }
  if (!known->checked) {
    known->isLink = nativereg::IsLink(known->key->get());
    known->checked = true;
  }
  if (known->isLink) return ERROR_FILE_NOT_FOUND;
  out = known->key;
  return ERROR_SUCCESS;
}

LiveRegistry::Anchor* LiveRegistry::Find(Tree tree, const std::wstring& path) {
  for (Anchor& anchor : anchors_) {
    if (anchor.tree == tree && anchor.path.size() == path.size() && SameKeyName(anchor.path, path)) {
      anchor.used = ++uses_;
      return &anchor;
    }
  }
  return nullptr;
}

LONG LiveRegistry::OpenWhole(Tree tree, const std::wstring& path, std::shared_ptr<UniqueKey>& out) {
  // A key below one closed to us: the system opens the whole path without
  // asking the keys on the way; the name it gives what it opened shows
  // whether a link on the way was followed.
  auto key = std::make_shared<UniqueKey>();
  const LONG rc = nativereg::OpenKey(roots_[IndexOf(tree)].get(), path, kReadAccess, true, *key);
  if (rc != ERROR_SUCCESS) return rc;
  if (!SameKeyName(nativereg::KernelName(key->get()), rootNames_[IndexOf(tree)] + L"\\" + path))
    return ERROR_FILE_NOT_FOUND;
  out = std::move(key);
  return ERROR_SUCCESS;
}

LiveRegistry::Anchor& LiveRegistry::Remember(Tree tree, const std::wstring& path, const std::shared_ptr<UniqueKey>& key,
                                             bool checked) {
  // The keys met again and again (the classes' key, each location whose
  // entries are being read) are used for every entry; an entry's own key
  // seldom after its entry: when full, the key unused longest goes. (By
  // depth, a long location of a user's hive went before the entries below
  // it and was opened again for each.)
  Anchor* slot = Find(tree, path);
  if (!slot && anchors_.size() < kAnchors) slot = &anchors_.emplace_back();
  if (!slot) {
    slot = &anchors_.front();
    for (Anchor& anchor : anchors_)
      if (anchor.used < slot->used) slot = &anchor;
  }
  *slot = Anchor{tree, path, key, checked, false, ++uses_};
  return *slot;
}

bool LiveRegistry::OpenedIsLink() {
  if (!last_.key || !*last_.key || last_.path.empty()) return false;
  if (!last_.link) last_.link = nativereg::IsLink(last_.key->get());
  return *last_.link;
}

HKEY LiveRegistry::ReadableKey(Tree tree, const std::wstring& path) {
  Opened& opened = Open(tree, path);
  if (!opened.key || OpenedIsLink()) return nullptr;
  return opened.key->get();
}

HKEY LiveRegistry::OpenedKey(Tree tree, const std::wstring& path) {
  const Opened& opened = Open(tree, path);
  return opened.key ? opened.key->get() : nullptr;
}

bool LiveRegistry::KeyExists(Tree tree, const std::wstring& path) {
  const Opened& opened = Open(tree, path);
  return opened.key || opened.error == ERROR_ACCESS_DENIED;
}

HKEY LiveRegistry::KeyToList(Tree tree, const std::wstring& path, DWORD& subKeys, DWORD& longestName) {
  HKEY key = OpenedKey(tree, path);
  DWORD values = 0;
  if (!key || RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &longestName, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return nullptr;
  // A link holds its target in a value: a key without values is no link,
  // and needs no call to ask.
  if (values > 0 && OpenedIsLink()) return nullptr;
  return key;
}

std::vector<std::wstring> LiveRegistry::SubKeyNames(Tree tree, const std::wstring& path) {
  DWORD subKeys = 0, longestName = 0;
  HKEY key = KeyToList(tree, path, subKeys, longestName);
  return key ? regwalk::ListNames(key, false, subKeys, longestName) : std::vector<std::wstring>{};
}

std::vector<SubKeyInfo> LiveRegistry::SubKeysWithTimes(Tree tree, const std::wstring& path) {
  DWORD subKeys = 0, longestName = 0;
  HKEY key = KeyToList(tree, path, subKeys, longestName);
  std::vector<SubKeyInfo> keys;
  if (!key) return keys;
  keys.reserve(subKeys);
  std::vector<wchar_t> name(std::max<DWORD>(longestName, 255) + 2);
  for (DWORD i = 0; i < subKeys; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    FILETIME written{};
    const LONG rc = RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, &written);
    if (rc == ERROR_MORE_DATA) {
      // The key changed under us: grow and read this subkey again.
      name.resize(name.size() * 2 + 16384);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    keys.push_back({std::wstring(name.data(), length),
                    (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime});
  }
  return keys;
}

std::vector<std::wstring> LiveRegistry::ValueNames(Tree tree, const std::wstring& path) {
  HKEY key = ReadableKey(tree, path);
  return key ? regwalk::ListNames(key, true) : std::vector<std::wstring>{};
}

std::optional<ValueData> LiveRegistry::ReadValue(Tree tree, const std::wstring& path, const std::wstring& name,
                                                 std::size_t maxBytes) {
  // The key is opened as itself, never through a link: a link key's only
  // value is its own link, which reads as what it is. Not asking whether
  // each key is a link keeps a read at one call, as the registry's own.
  HKEY key = OpenedKey(tree, path);
  if (!key) return std::nullopt;
  DWORD type = 0;
  std::vector<unsigned char> bytes;
  std::size_t size = 0;
  const LONG rc = nativereg::QueryValue(key, name, type, bytes, size, maxBytes);
  ValueData data;
  data.type = type;
  data.size = size;
  if (rc == ERROR_MORE_DATA && size > maxBytes) {
    data.tooLarge = true;
    return data;
  }
  if (rc != ERROR_SUCCESS) return std::nullopt;
  bytes.resize(size);
  data.bytes = std::move(bytes);
  return data;
}

bool LiveRegistry::IsLink(Tree tree, const std::wstring& path) {
  Open(tree, path);
  return OpenedIsLink();
}

std::optional<std::uint64_t> LiveRegistry::LastWriteTime(Tree tree, const std::wstring& path) {
  const Opened& opened = Open(tree, path);
  FILETIME written{};
  if (!opened.key || RegQueryInfoKeyW(opened.key->get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS)
    return std::nullopt;
  return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

}  // namespace engine
