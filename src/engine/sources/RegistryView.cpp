#include "engine/sources/RegistryView.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include "engine/sources/MemoryRegistry.h"
#include "ozcore/CaseFold.h"

namespace engine {

namespace {

constexpr const wchar_t* kWowNode = L"Wow6432Node";

bool SameName(const std::wstring& a, const wchar_t* b) {
  const std::size_t n = std::char_traits<wchar_t>::length(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - 32);
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// True when names (below some root) begins with the keys of prefix.
bool BeginsWith(const std::vector<std::wstring>& names, std::size_t from, const wchar_t* prefix) {
  const std::vector<std::wstring> wanted = SplitKeyPath(prefix);
  if (names.size() - from < wanted.size()) return false;
  for (std::size_t i = 0; i < wanted.size(); ++i)
    if (!SameName(names[from + i], wanted[i].c_str())) return false;
  return true;
}

std::wstring Join(const std::vector<std::wstring>& names) {
  std::wstring path;
  for (const auto& name : names) {
    if (!path.empty()) path.push_back(L'\\');
    path += name;
  }
  return path;
}

// Below a classes root, the class, interface and media keys have a 32-bit
// twin; everything else is one key for both views.
constexpr std::array<const wchar_t*, 5> kRedirectedClassKeys = {L"CLSID", L"DirectShow", L"Interface",
                                                                L"Media Type", L"MediaFoundation"};

// Keys below HKEY_LOCAL_MACHINE\SOFTWARE that both views share.
constexpr std::array<const wchar_t*, 20> kSharedSoftwareKeys = {
    L"Classes",
    L"Policies",
    L"RegisteredApplications",
    L"Microsoft\\COM3",
    L"Microsoft\\EventSystem",
    L"Microsoft\\Notepad\\DefaultFonts",
    L"Microsoft\\OLE",
    L"Microsoft\\Rpc",
    L"Microsoft\\Windows\\CurrentVersion\\Policies",
    L"Microsoft\\Windows\\CurrentVersion\\Group Policy",
    L"Microsoft\\Windows\\CurrentVersion\\PreviewHandlers",
    L"Microsoft\\Windows\\CurrentVersion\\Setup",
    L"Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
    L"Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons",
    L"Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap",
    L"Microsoft\\Windows NT\\CurrentVersion\\Console",
    L"Microsoft\\Windows NT\\CurrentVersion\\FontLink",
    L"Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    L"Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    L"Microsoft\\Windows NT\\CurrentVersion\\Time Zones",
};

// names[from..] below a classes root, for the 32-bit view.
void RedirectClasses(std::vector<std::wstring>& names, std::size_t from) {
  if (names.size() <= from || SameName(names[from], kWowNode)) return;
  for (const wchar_t* key : kRedirectedClassKeys) {
    if (SameName(names[from], key)) {
      names.insert(names.begin() + static_cast<std::ptrdiff_t>(from), kWowNode);
      return;
    }
  }
}

}  // namespace

std::wstring Wow32ClassesPath(const std::wstring& path) {
  std::vector<std::wstring> names = SplitKeyPath(path);
  RedirectClasses(names, 0);
  return Join(names);
}

std::wstring Wow32MachinePath(const std::wstring& path) {
  std::vector<std::wstring> names = SplitKeyPath(path);
  if (names.size() < 2 || !SameName(names[0], L"SOFTWARE") || SameName(names[1], kWowNode)) return Join(names);
  if (SameName(names[1], L"Classes")) {
    RedirectClasses(names, 2);
    return Join(names);
  }
  for (const wchar_t* shared : kSharedSoftwareKeys)
    if (BeginsWith(names, 1, shared)) return Join(names);
  names.insert(names.begin() + 1, kWowNode);
  return Join(names);
}

std::wstring Wow32UsersPath(const std::wstring& path) {
  std::vector<std::wstring> names = SplitKeyPath(path);
  if (names.empty()) return path;
  const std::wstring& hive = names[0];
  const bool classesHive = hive.size() > 8 && SameName(hive.substr(hive.size() - 8), L"_Classes");
  if (classesHive) {
    RedirectClasses(names, 1);
  } else if (BeginsWith(names, 1, L"Software\\Classes")) {
    RedirectClasses(names, 3);
  }
  return Join(names);
}

RegistryView::RegistryView(RegistrySource& source, RegView view, const std::wstring& classesUser,
                           TextExpander expand)
    : source_(source), view_(view), expand_(std::move(expand)) {
  if (!classesUser.empty() && classesUser.find(L'\\') == std::wstring::npos) {
    const std::wstring hive = classesUser + L"_Classes";
    if (source_.KeyExists(Tree::Users, hive)) userClasses_ = hive;
  }
}

std::vector<SourcePlace> RegistryView::PlacesOf(Root root, const std::wstring& path) const {
  const bool wow = Is32Bit();
  switch (root) {
    case Root::Machine:
      return {{Tree::Machine, wow ? Wow32MachinePath(path) : path}};
    case Root::Users: {
      const std::wstring stored = UserClassesStorage(path);
      return {{Tree::Users, wow ? Wow32UsersPath(stored) : stored}};
    }
    case Root::Classes:
      break;
  }
  const std::wstring below = wow ? Wow32ClassesPath(path) : path;
  const std::wstring machine = below.empty() ? L"SOFTWARE\\Classes" : L"SOFTWARE\\Classes\\" + below;
  if (userClasses_.empty()) return {{Tree::Machine, machine}};
  return {{Tree::Users, below.empty() ? userClasses_ : userClasses_ + L"\\" + below}, {Tree::Machine, machine}};
}

std::wstring RegistryView::UserClassesStorage(const std::wstring& path) const {
  // "<SID>\Software\Classes" is the platform's link to the user's classes
  // hive, "<SID>_Classes": read there, never through the link.
  std::vector<std::wstring> names = SplitKeyPath(path);
  if (names.size() < 3 || !SameName(names[1], L"Software") || !SameName(names[2], L"Classes")) return path;
  const std::wstring hive = names[0] + L"_Classes";
  auto known = classesHives_.find(hive);
  if (known == classesHives_.end()) known = classesHives_.emplace(hive, source_.KeyExists(Tree::Users, hive)).first;
  if (!known->second) return path;
  names.erase(names.begin(), names.begin() + 3);
  names.insert(names.begin(), hive);
  return Join(names);
}

bool RegistryView::KeyExists(Root root, const std::wstring& path) {
  for (const auto& place : PlacesOf(root, path))
    if (source_.KeyExists(place.tree, place.path)) return true;
  return false;
}

namespace {
std::vector<std::wstring> MergeNames(std::vector<std::vector<std::wstring>> lists) {
  if (lists.size() == 1) return std::move(lists.front());
  std::vector<std::wstring> merged;
  std::unordered_set<std::wstring> seen;
  for (auto& list : lists)
    for (auto& name : list)
      if (seen.insert(FoldCase(name)).second) merged.push_back(std::move(name));
  return merged;
}
}  // namespace

std::vector<std::wstring> RegistryView::SubKeys(Root root, const std::wstring& path) {
  std::vector<std::vector<std::wstring>> lists;
  for (const auto& place : PlacesOf(root, path)) lists.push_back(source_.SubKeyNames(place.tree, place.path));
  return MergeNames(std::move(lists));
}

std::vector<SubKeyInfo> RegistryView::SubKeysWithTimes(Root root, const std::wstring& path) {
  std::vector<SubKeyInfo> keys;
  std::unordered_set<std::wstring> seen;
  const std::vector<SourcePlace> places = PlacesOf(root, path);
  for (const auto& place : places) {
    for (auto& key : source_.SubKeysWithTimes(place.tree, place.path)) {
      if (places.size() > 1 && !seen.insert(FoldCase(key.name)).second) continue;
      // Where the view stores a subkey elsewhere than below the place
      // listed (the keys a 32-bit view redirects, a user's classes), its
      // time is read where it is.
      const std::wstring child = path.empty() ? key.name : path + L"\\" + key.name;
      const std::vector<SourcePlace> own = PlacesOf(root, child);
      if (own.size() != 1 || own.front().tree != place.tree ||
          own.front().path != (place.path.empty() ? key.name : place.path + L"\\" + key.name))
        key.lastWrite = LastWriteTime(root, child);
      keys.push_back(std::move(key));
    }
  }
  return keys;
}

std::vector<std::wstring> RegistryView::ValueNames(Root root, const std::wstring& path) {
  std::vector<std::vector<std::wstring>> lists;
  for (const auto& place : PlacesOf(root, path)) lists.push_back(source_.ValueNames(place.tree, place.path));
  return MergeNames(std::move(lists));
}

std::optional<ValueData> RegistryView::ReadValue(Root root, const std::wstring& path, const std::wstring& name,
                                                 std::size_t maxBytes) {
  for (const auto& place : PlacesOf(root, path))
    if (auto value = source_.ReadValue(place.tree, place.path, name, maxBytes)) return value;
  return std::nullopt;
}

std::wstring StringOfValue(const ValueData& value) {
  std::wstring text;
  text.reserve(value.bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
    const auto ch = static_cast<wchar_t>(value.bytes[i] | (static_cast<unsigned>(value.bytes[i + 1]) << 8));
    if (ch == L'\0') break;
    text.push_back(ch);
  }
  return text;
}

bool RegistryView::ReadString(Root root, const std::wstring& path, const std::wstring& name, std::wstring& out,
                              std::uint64_t* tooLargeBytes) {
  out.clear();
  if (tooLargeBytes) *tooLargeBytes = 0;
  const auto value = ReadValue(root, path, name);
  if (!value || (value->type != valuetype::kString && value->type != valuetype::kExpandString)) return false;
  if (value->tooLarge) {
    if (tooLargeBytes) *tooLargeBytes = value->size;
    return false;
  }
  out = StringOfValue(*value);
  if (value->type == valuetype::kExpandString && expand_) out = expand_(out, Is32Bit());
  return true;
}

std::optional<std::uint32_t> RegistryView::ReadDword(Root root, const std::wstring& path, const std::wstring& name) {
  const auto value = ReadValue(root, path, name, 8);
  if (!value || value->type != valuetype::kDword || value->bytes.size() < 4) return std::nullopt;
  return static_cast<std::uint32_t>(value->bytes[0]) | (static_cast<std::uint32_t>(value->bytes[1]) << 8) |
         (static_cast<std::uint32_t>(value->bytes[2]) << 16) | (static_cast<std::uint32_t>(value->bytes[3]) << 24);
}

std::optional<std::uint64_t> RegistryView::LastWriteTime(Root root, const std::wstring& path) {
  for (const auto& place : PlacesOf(root, path))
    if (auto time = source_.LastWriteTime(place.tree, place.path)) return time;
  return std::nullopt;
}

bool RegistryView::IsLink(Root root, const std::wstring& path) {
  for (const auto& place : PlacesOf(root, path))
    if (source_.KeyExists(place.tree, place.path)) return source_.IsLink(place.tree, place.path);
  return false;
}

std::vector<std::vector<std::wstring>> RegistryView::CategoryClasses(const std::vector<std::wstring>& categories) {
  std::vector<std::vector<std::wstring>> result(categories.size());
  std::vector<std::wstring> wanted;
  for (const auto& category : categories) wanted.push_back(FoldCase(category));
  // Most classes declare no category: one look at their "Implemented
  // Categories" key settles them, whatever the number asked for.
  for (const auto& clsid : SubKeys(Root::Classes, L"CLSID")) {
    for (const auto& declared : SubKeys(Root::Classes, L"CLSID\\" + clsid + L"\\Implemented Categories")) {
      const std::wstring folded = FoldCase(declared);
      for (std::size_t i = 0; i < wanted.size(); ++i)
        if (folded == wanted[i]) result[i].push_back(clsid);
    }
  }
  return result;
}

}  // namespace engine
