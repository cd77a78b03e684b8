#include "engine/sources/LiveRegistry.h"

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
  const HKEY root = roots_[IndexOf(tree)].get();
  const std::wstring& rootName = rootNames_[IndexOf(tree)];
  if (!root || rootName.empty()) return last_;
  if (last_.path.empty()) {
    last_.error = nativereg::OpenRoot(RootOf(tree), kReadAccess, last_.key);
    return last_;
  }
  last_.error = OpenChecked(tree, last_.path, last_.key);
  if (last_.error == ERROR_SUCCESS) Remember(tree, last_.path, last_.key.get());
  return last_;
}

LONG LiveRegistry::OpenChecked(Tree tree, const std::wstring& path, UniqueKey& out) {
  HKEY from = roots_[IndexOf(tree)].get();
  std::size_t start = 0;
  for (const Anchor& anchor : anchors_) {
    const std::size_t n = anchor.path.size();
    if (anchor.key && anchor.tree == tree && n > start && n < path.size() && path[n] == L'\\' &&
        SameKeyName(anchor.path, path.substr(0, n))) {
      from = anchor.key.get();
      start = n + 1;
    }
  }
  const std::wstring rest = path.substr(start);
  const LONG rc = nativereg::OpenKey(from, rest, kReadAccess, true, out);
  if (rc != ERROR_SUCCESS || rest.find(L'\\') == std::wstring::npos) return rc;
  // Several names: the system's name for what was opened shows whether a
  // link on the way was followed, which would make it another key than the
  // one asked for.
  if (SameKeyName(nativereg::KernelName(out.get()), rootNames_[IndexOf(tree)] + L"\\" + path)) return rc;
  out.reset();
  return ERROR_FILE_NOT_FOUND;
}

void LiveRegistry::Remember(Tree tree, const std::wstring& path, HKEY key) {
  Anchor& anchor = anchors_[nextAnchor_];
  nextAnchor_ = (nextAnchor_ + 1) % kAnchors;
  anchor.key.reset();
  HANDLE copy = nullptr;
  // A handle of its own: the last key opened changes with every call.
  if (!DuplicateHandle(GetCurrentProcess(), key, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) return;
  anchor.tree = tree;
  anchor.path = path;
  anchor.key.reset(static_cast<HKEY>(copy));
}

bool LiveRegistry::OpenedIsLink() {
  if (!last_.key || last_.path.empty()) return false;
  if (!last_.link) last_.link = nativereg::IsLink(last_.key.get());
  return *last_.link;
}

HKEY LiveRegistry::ReadableKey(Tree tree, const std::wstring& path) {
  Opened& opened = Open(tree, path);
  if (!opened.key || OpenedIsLink()) return nullptr;
  return opened.key.get();
}

HKEY LiveRegistry::OpenedKey(Tree tree, const std::wstring& path) { return Open(tree, path).key.get(); }

bool LiveRegistry::KeyExists(Tree tree, const std::wstring& path) {
  const Opened& opened = Open(tree, path);
  return opened.key || opened.error == ERROR_ACCESS_DENIED;
}

std::vector<std::wstring> LiveRegistry::SubKeyNames(Tree tree, const std::wstring& path) {
  HKEY key = ReadableKey(tree, path);
  return key ? regwalk::ListNames(key, false) : std::vector<std::wstring>{};
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
  if (!opened.key || RegQueryInfoKeyW(opened.key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS)
    return std::nullopt;
  return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

}  // namespace engine
