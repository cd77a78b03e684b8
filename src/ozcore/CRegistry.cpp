#include "ozcore/CRegistry.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "ozcore/CUtilities.h"
#include "ozcore/NativeRegistry.h"
#include "ozcore/RegExportText.h"
#include "ozcore/RegistryWalk.h"
#include "ozcore/UniqueHandle.h"

namespace {

std::wstring TrimSlashes(const std::wstring& path) {
  std::size_t b = 0, e = path.size();
  while (b < e && path[b] == L'\\') ++b;
  while (e > b && path[e - 1] == L'\\') --e;
  return path.substr(b, e - b);
}

std::wstring Join(const std::wstring& a, const std::wstring& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + L"\\" + b;
}

CStringDictionary ToDictionary(const std::vector<std::wstring>& names) {
  CStringDictionary dict;
  for (const auto& n : names) dict.Add(n, n);
  return dict;
}

bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

// Opens path below a predefined root. A path without NUL goes to the
// documented call; one with NUL to the counted call, which the documented
// one would cut short. openLink: a link at the last key is opened itself.
LONG OpenPath(HKEY root, const std::wstring& path, REGSAM access, bool openLink, UniqueKey& out) {
  if (!openLink && !HasNul(path)) return RegOpenKeyExW(root, path.c_str(), 0, access, out.put());
  // The first key by the documented call when its name allows (it knows
  // the predefined roots and the merged classes view), the rest counted.
  const std::size_t slash = path.find(L'\\');
  UniqueKey base;
  std::wstring rest = path;
  if (slash != std::wstring::npos && !HasNul(path.substr(0, slash))) {
    const LONG rc = RegOpenKeyExW(root, path.substr(0, slash).c_str(), 0, access, base.put());
    if (rc != ERROR_SUCCESS) return rc;
    rest = path.substr(slash + 1);
  } else {
    const LONG rc = nativereg::OpenRoot(root, access, base);
    if (rc != ERROR_SUCCESS) return rc;
  }
  if (rest.empty()) {
    out = std::move(base);
    return ERROR_SUCCESS;
  }
  return nativereg::OpenKey(base.get(), rest, access, openLink, out);
}

bool SameKeyName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
             CSTR_EQUAL;
}

// True when the system names child exactly parent\part: the handle is the
// key asked for, reached by no link. In the 32-bit view a key may stand
// for its "Wow6432Node" subkey.
bool IsChildNamed(HKEY child, HKEY parent, const std::wstring& part, REGSAM access) {
  const std::wstring parentName = nativereg::KernelName(parent);
  const std::wstring childName = nativereg::KernelName(child);
  if (parentName.empty()) return false;
  const std::wstring expected = parentName + L"\\" + part;
  return SameKeyName(childName, expected) ||
         ((access & KEY_WOW64_32KEY) != 0 && SameKeyName(childName, expected + L"\\Wow6432Node"));
}

// Opens path below root key by key, each relative to the one before and
// each the key itself, never a link's target: a key on the way that is a
// link, or that the system names otherwise than its parent's name and its
// own, fails the whole open. create: missing keys are made by the same
// call, which opens a link planted meanwhile as itself (never a name
// holding a NUL). An empty path or an empty part fails.
bool OpenWithoutLinks(HKEY root, const std::wstring& path, REGSAM access, bool create, UniqueKey& out) {
  if (path.empty()) return false;
  UniqueKey current;
  if (nativereg::OpenRoot(root, access, current) != ERROR_SUCCESS) return false;
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) return false;
    UniqueKey next;
    const LONG rc = create && part.find(L'\0') == std::wstring::npos
                        ? nativereg::CreateKey(current.get(), part, access, next)
                        : nativereg::OpenKey(current.get(), part, access, true, next);
    if (rc != ERROR_SUCCESS || nativereg::IsLink(next.get()) || !IsChildNamed(next.get(), current.get(), part, access))
      return false;
    current = std::move(next);
  }
  out = std::move(current);
  return true;
}

// Deletes parent\leaf with everything below it, through a handle opened
// relative to parent without following a link and checked to be that key.
// refuseLink: a link there is left alone rather than deleted itself.
LONG DeleteChild(HKEY parent, const std::wstring& leaf, REGSAM viewFlag, bool refuseLink) {
  UniqueKey key;
  LONG rc = nativereg::OpenKey(parent, leaf, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | viewFlag, true, key);
  if (rc != ERROR_SUCCESS) return rc;
  if (!IsChildNamed(key.get(), parent, leaf, 0) || (refuseLink && nativereg::IsLink(key.get())))
    return ERROR_ACCESS_DENIED;
  return regwalk::DeleteTree(key.get(), viewFlag);
}

// A string value's text as ReadString gives it: REG_SZ up to its first NUL
// (a stray odd byte dropped), REG_EXPAND_SZ expanded.
bool TextOf(DWORD type, const std::vector<unsigned char>& data, std::size_t size, bool wow32, std::wstring& out) {
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::wstring text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const auto ch = static_cast<wchar_t>(data[i] | (static_cast<unsigned>(data[i + 1]) << 8));
    if (ch == L'\0') break;
    text.push_back(ch);
  }
  if (type == REG_EXPAND_SZ) text = CUtilities::ExpandVariables(text, wow32);
  out = std::move(text);
  return true;
}

// Splits "a\b\leaf" into "a\b" and "leaf".
void SplitLeaf(const std::wstring& path, std::wstring& parent, std::wstring& leaf) {
  const auto slash = path.find_last_of(L'\\');
  parent = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  leaf = slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

struct CRegistry::Impl {
  RegView view;
  // The key opened last, kept for the next call on the same key.
  HKEY cachedRoot = nullptr;
  std::wstring cachedPath;
  UniqueKey cachedKey;

  explicit Impl(RegView v) : view(v) {}

  REGSAM ViewFlag() const {
    switch (view) {
      case RegView::Native:
        return KEY_WOW64_64KEY;
      case RegView::Wow32:
        return KEY_WOW64_32KEY;
      case RegView::Default:
        break;
    }
    return 0;
  }

  // A read handle to root\path, or nullptr.
  HKEY OpenRead(HKEY root, const std::wstring& rawPath) {
    const std::wstring path = TrimSlashes(rawPath);
    if (cachedKey && cachedRoot == root && cachedPath == path) return cachedKey.get();
    cachedKey.reset();
    if (OpenPath(root, path, KEY_READ | ViewFlag(), false, cachedKey) != ERROR_SUCCESS) {
      cachedKey.reset();
      return nullptr;
    }
    cachedRoot = root;
    cachedPath = path;
    return cachedKey.get();
  }

  void Forget() { cachedKey.reset(); }

  // Raw value bytes and type; false when the value or key is missing. The
  // bytes stay in data (reused from call to call, so a run of reads
  // allocates nothing) until the next query. A value over
  // kMaxReadValueBytes is never read: false, with its type and its size in
  // tooLargeSize (0 after every other answer).
  std::vector<unsigned char> data = std::vector<unsigned char>(512);
  std::size_t dataSize = 0;
  std::size_t tooLargeSize = 0;
  bool Query(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type) {
    dataSize = tooLargeSize = 0;
    HKEY key = OpenRead(root, path);
    if (!key) return false;
    if (HasNul(name)) {
      const LONG rc = nativereg::QueryValue(key, name, type, data, dataSize, kMaxReadValueBytes);
      if (rc == ERROR_MORE_DATA && dataSize > kMaxReadValueBytes) tooLargeSize = dataSize;
      if (rc != ERROR_SUCCESS) dataSize = 0;
      return rc == ERROR_SUCCESS;
    }
    for (;;) {
      DWORD size = static_cast<DWORD>(data.size());
      const LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
      if (rc == ERROR_MORE_DATA && size > kMaxReadValueBytes) {
        tooLargeSize = size;
        return false;
      }
      if (rc == ERROR_MORE_DATA) {
        data.resize(std::max<std::size_t>(size, std::min(data.size() * 2, kMaxReadValueBytes)));
        continue;
      }
      if (rc != ERROR_SUCCESS) return false;
      dataSize = size;
      return true;
    }
  }
};

CRegistry::CRegistry(RegView view) : impl_(std::make_unique<Impl>(view)) {}
CRegistry::~CRegistry() = default;

RegView CRegistry::View() const { return impl_->view; }

bool CRegistry::ReadString(HKEY root, const std::wstring& path, const std::wstring& name, std::wstring& out,
                           std::uint64_t* tooLargeBytes) {
  out.clear();
  if (tooLargeBytes) *tooLargeBytes = 0;
  DWORD type = 0;
  const bool read = impl_->Query(root, path, name, type);
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (!read) {
    if (tooLargeBytes) *tooLargeBytes = impl_->tooLargeSize;
    return false;
  }
  return TextOf(type, impl_->data, impl_->dataSize, impl_->view == RegView::Wow32 && HasWow32View(), out);
}

bool CRegistry::ReadDWORD(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t& out) {
  out = 0;
  DWORD type = 0;
  if (!impl_->Query(root, path, name, type)) return false;
  const auto& data = impl_->data;
  if (type != REG_DWORD || impl_->dataSize != 4) return false;
  out = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  return true;
}

bool CRegistry::KeyExists(HKEY root, const std::wstring& path) { return impl_->OpenRead(root, path) != nullptr; }

CStringDictionary CRegistry::EnumSubKeys(HKEY root, const std::wstring& path) {
  HKEY key = impl_->OpenRead(root, path);
  return key ? ToDictionary(regwalk::ListNames(key, false)) : CStringDictionary();
}

CStringDictionary CRegistry::EnumValueNames(HKEY root, const std::wstring& path) {
  HKEY key = impl_->OpenRead(root, path);
  return key ? ToDictionary(regwalk::ListNames(key, true)) : CStringDictionary();
}

CStringDictionary CRegistry::EnumCategoryClasses(const std::wstring& category) {
  auto found = EnumCategoryClasses(std::vector<std::wstring>{category});
  return std::move(found.front());
}

std::vector<CStringDictionary> CRegistry::EnumCategoryClasses(const std::vector<std::wstring>& categories) {
  std::vector<CStringDictionary> result(categories.size());
  UniqueKey clsidKey;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ | impl_->ViewFlag(), clsidKey.put()) != ERROR_SUCCESS)
    return result;
  // Most classes declare no category at all: one failed open of their
  // "Implemented Categories" key settles them, whatever the number of
  // categories asked for.
  // A class that has the key lists its categories as subkeys, usually one
  // or two: reading that short list costs fewer calls than opening each
  // category asked for. Key names compare without regard to case, as the
  // registry compares them.
  const REGSAM access = KEY_READ | impl_->ViewFlag();
  std::wstring path;
  for (const auto& clsid : regwalk::ListNames(clsidKey.get(), false)) {
    path.assign(clsid).append(L"\\Implemented Categories");
    UniqueKey declared;
    const LONG rc = HasNul(path) ? nativereg::OpenKey(clsidKey.get(), path, access, false, declared)
                                 : RegOpenKeyExW(clsidKey.get(), path.c_str(), 0, access, declared.put());
    if (rc != ERROR_SUCCESS) continue;
    for (const auto& name : regwalk::ListNames(declared.get(), false, regwalk::kUnknownCount, 0)) {
      for (std::size_t i = 0; i < categories.size(); ++i) {
        if (CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), categories[i].c_str(),
                                 static_cast<int>(categories[i].size()), TRUE) == CSTR_EQUAL)
          result[i].Add(clsid, clsid);
      }
    }
  }
  return result;
}

bool CRegistry::WriteString(HKEY root, const std::wstring& path, const std::wstring& name,
                            const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return WriteValue(root, path, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
}

bool CRegistry::WriteDWORD(HKEY root, const std::wstring& path, const std::wstring& name, std::uint32_t value) {
  const DWORD data = value;
  return WriteValue(root, path, name, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

bool CRegistry::WriteValue(HKEY root, const std::wstring& rawPath, const std::wstring& name, DWORD type,
                           const BYTE* data, DWORD size) {
  impl_->Forget();
  if (name.find(L'\0') != std::wstring::npos) return false;
  UniqueKey key;
  if (!OpenWithoutLinks(root, TrimSlashes(rawPath),
                        KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | impl_->ViewFlag(), true, key))
    return false;
  return RegSetValueExW(key.get(), name.c_str(), 0, type, data, size) == ERROR_SUCCESS;
}

bool CRegistry::DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  impl_->Forget();
  UniqueKey key;
  if (OpenPath(root, TrimSlashes(path), KEY_SET_VALUE | KEY_QUERY_VALUE | impl_->ViewFlag(), true, key) !=
      ERROR_SUCCESS)
    return false;
  if (nativereg::IsLink(key.get())) return false;
  return nativereg::DeleteValue(key.get(), name) == ERROR_SUCCESS;
}

bool CRegistry::DeleteKey(HKEY root, const std::wstring& path, std::wstring& errorText) {
  return DeleteKeyThenValue(root, path, std::wstring(), nullptr, errorText);
}

bool CRegistry::DeleteKeyThenValue(HKEY root, const std::wstring& rawPath, const std::wstring& valueName,
                                   const std::function<bool(const std::wstring& text)>& clearWhen,
                                   std::wstring& errorText) {
  impl_->Forget();
  errorText.clear();
  const auto fail = [&errorText](LONG rc) {
    errorText = CUtilities::SystemMessage(static_cast<std::uint32_t>(rc));
    return false;
  };
  std::wstring parentPath, leaf;
  SplitLeaf(TrimSlashes(rawPath), parentPath, leaf);
  // Never a whole root.
  if (leaf.empty()) return fail(ERROR_INVALID_PARAMETER);
  const REGSAM parentAccess = KEY_QUERY_VALUE | (clearWhen ? KEY_SET_VALUE : 0) | impl_->ViewFlag();
  UniqueKey parent;
  LONG rc = OpenPath(root, parentPath, parentAccess, !parentPath.empty(), parent);
  if (rc != ERROR_SUCCESS) return fail(rc);
  if (!parentPath.empty() && nativereg::IsLink(parent.get())) return fail(ERROR_ACCESS_DENIED);
  rc = DeleteChild(parent.get(), leaf, impl_->ViewFlag(), false);
  if (rc != ERROR_SUCCESS) return fail(rc);
  // The value is read and cleared in the key the entry was deleted from.
  DWORD type = 0;
  std::vector<unsigned char> data;
  std::size_t size = 0;
  std::wstring text;
  if (clearWhen && nativereg::QueryValue(parent.get(), valueName, type, data, size, kMaxReadValueBytes) == ERROR_SUCCESS &&
      TextOf(type, data, size, impl_->view == RegView::Wow32 && HasWow32View(), text) && clearWhen(text))
    nativereg::DeleteValue(parent.get(), valueName);
  return true;
}

bool CRegistry::DeleteKeyWithoutLinks(HKEY root, const std::wstring& rawPath, std::wstring& errorText) {
  impl_->Forget();
  errorText.clear();
  std::wstring parentPath, leaf;
  SplitLeaf(TrimSlashes(rawPath), parentPath, leaf);
  UniqueKey parent;
  LONG rc = ERROR_ACCESS_DENIED;
  if (!leaf.empty() && OpenWithoutLinks(root, parentPath, KEY_QUERY_VALUE | impl_->ViewFlag(), false, parent))
    rc = DeleteChild(parent.get(), leaf, impl_->ViewFlag(), true);
  if (rc == ERROR_SUCCESS) return true;
  errorText = CUtilities::SystemMessage(static_cast<std::uint32_t>(rc));
  return false;
}

std::wstring CRegistry::ExportKeyText(HKEY root, const std::wstring& rawPath, bool forAnsiFile) {
  return ExportKeyText(root, rawPath, forAnsiFile, nullptr);
}

std::wstring CRegistry::ExportKeyText(HKEY root, const std::wstring& rawPath, bool forAnsiFile,
                                      std::vector<RegOmission>* omitted) {
  const std::wstring rootName = RootName(root);
  if (rootName.empty()) return {};
  const std::wstring path = TrimSlashes(rawPath);
  const std::wstring fullName = Join(rootName, path);
  std::wstring out;
  // The tree's own path may hold names from the registry too (a user's key).
  std::size_t begin = 0;
  while (!path.empty() && begin <= path.size()) {
    const std::size_t end = std::min(path.find(L'\\', begin), path.size());
    if (!regtext::CarriesKeyName(path.substr(begin, end - begin))) {
      regwalk::Omit(omitted, fullName, nullptr, RegOmissionReason::NameNotCarried);
      return {};
    }
    begin = end + 1;
  }
  UniqueKey key;
  const LONG rc = OpenPath(root, path, KEY_READ | impl_->ViewFlag(), !path.empty(), key);
  if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) return {};
  if (rc != ERROR_SUCCESS) {
    regwalk::Omit(omitted, fullName, nullptr, RegOmissionReason::Unreadable);
    return {};
  }
  if (!path.empty() && nativereg::IsLink(key.get())) {
    regwalk::Omit(omitted, fullName, nullptr, RegOmissionReason::Link);
    return {};
  }
  regwalk::ExportTree(key.get(), fullName, forAnsiFile, impl_->ViewFlag(), omitted, out);
  return out;
}

std::wstring CRegistry::RootName(HKEY root) {
  if (root == HKEY_CLASSES_ROOT) return L"HKEY_CLASSES_ROOT";
  if (root == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER";
  if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
  if (root == HKEY_USERS) return L"HKEY_USERS";
  if (root == HKEY_CURRENT_CONFIG) return L"HKEY_CURRENT_CONFIG";
  return {};
}

bool CRegistry::HasWow32View() {
  static const bool answer = [] {
    // IsWow64Process2 (Windows 10 1709 and later) names the native machine;
    // looked up at run time so older systems still start.
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
      if (auto fn = reinterpret_cast<IsWow64Process2Fn>(
              reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process2")))) {
        USHORT process = 0, native = 0;
        if (fn(GetCurrentProcess(), &process, &native))
          return native != IMAGE_FILE_MACHINE_UNKNOWN && native != IMAGE_FILE_MACHINE_I386 &&
                 native != IMAGE_FILE_MACHINE_ARM && native != IMAGE_FILE_MACHINE_ARMNT;
      }
    }
#if defined(_WIN64)
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
  }();
  return answer;
}
