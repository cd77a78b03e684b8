#include "ozcore/FolderPath.h"

#include <string_view>

#include "ozcore/CaseFold.h"

namespace folderpath {
namespace {

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

// The names of text split at separators, empty ones dropped.
std::vector<std::wstring> Names(std::wstring_view text) {
  std::vector<std::wstring> names;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsSeparator(text[i])) continue;
    if (i > start) names.emplace_back(text.substr(start, i - start));
    start = i + 1;
  }
  return names;
}

bool IsDriveLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

bool StartsWith(std::wstring_view text, std::wstring_view prefix, bool anyCase) {
  if (text.size() < prefix.size()) return false;
  const std::wstring_view head = text.substr(0, prefix.size());
  return anyCase ? FoldCase(std::wstring(head)) == FoldCase(std::wstring(prefix)) : head == prefix;
}

// "C:\..." -> root "C:\", rest after it; "\\server\share\..." -> root
// "\\server\share\".
std::optional<Walk> SplitRoot(std::wstring_view path) {
  Walk walk;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
    walk.root = std::wstring(1, path[0]) + L":\\";
    walk.names = Names(path.substr(3));
    return walk;
  }
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return std::nullopt;
  std::vector<std::wstring> parts = Names(path.substr(2));
  if (parts.size() < 2 || IsSeparator(path.size() > 2 ? path[2] : L'x')) return std::nullopt;
  if (!IsPlainName(parts[0]) || !IsPlainName(parts[1])) return std::nullopt;
  walk.root = L"\\\\" + parts[0] + L"\\" + parts[1] + L"\\";
  walk.names.assign(parts.begin() + 2, parts.end());
  return walk;
}

// The path with a "\\?\" prefix taken off: "\\?\C:\a" is "C:\a",
// "\\?\UNC\s\x" is "\\s\x". Other "\\?\" and "\\.\" paths are devices.
std::optional<std::wstring> WithoutLongPrefix(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\UNC\\", true)) return L"\\\\" + path.substr(8);
  if (StartsWith(path, L"\\\\?\\", false)) {
    const std::wstring rest = path.substr(4);
    if (rest.size() >= 3 && IsDriveLetter(rest[0]) && rest[1] == L':' && rest[2] == L'\\') return rest;
    return std::nullopt;
  }
  if (StartsWith(path, L"\\\\.\\", false) || StartsWith(path, L"\\??\\", false)) return std::nullopt;
  return path;
}

bool SameName(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && FoldCase(a) == FoldCase(b); }

}  // namespace

bool IsPlainName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  if (name.back() == L' ' || name.back() == L'.') return false;
  for (wchar_t ch : name) {
    if (ch < 0x20) return false;
    if (std::wstring_view(L"\\/:*?\"<>|").find(ch) != std::wstring_view::npos) return false;
  }
  return true;
}

std::optional<Walk> SplitPath(const std::wstring& path) {
  const std::optional<std::wstring> plain = WithoutLongPrefix(path);
  if (!plain) return std::nullopt;
  std::optional<Walk> walk = SplitRoot(*plain);
  if (!walk) return std::nullopt;
  for (const auto& name : walk->names)
    if (!IsPlainName(name)) return std::nullopt;
  return walk;
}

std::wstring JoinPath(const Walk& walk, std::size_t count) {
  std::wstring path = walk.root;
  for (std::size_t i = 0; i < count && i < walk.names.size(); ++i) {
    if (i > 0) path += L'\\';
    path += walk.names[i];
  }
  return path;
}

std::optional<std::vector<std::wstring>> NamesBelow(const std::wstring& folder, const std::wstring& path) {
  const auto outer = SplitPath(folder);
  const auto inner = SplitPath(path);
  if (!outer || !inner || !SameName(outer->root, inner->root)) return std::nullopt;
  if (inner->names.size() <= outer->names.size()) return std::nullopt;
  for (std::size_t i = 0; i < outer->names.size(); ++i)
    if (!SameName(outer->names[i], inner->names[i])) return std::nullopt;
  return std::vector<std::wstring>(inner->names.begin() + static_cast<std::ptrdiff_t>(outer->names.size()),
                                   inner->names.end());
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  const auto found = SplitPath(a);
  const auto wanted = SplitPath(b);
  if (!found || !wanted || !SameName(found->root, wanted->root) || found->names.size() != wanted->names.size())
    return false;
  for (std::size_t i = 0; i < found->names.size(); ++i)
    if (!SameName(found->names[i], wanted->names[i])) return false;
  return true;
}

std::wstring TemporaryName(const std::array<std::uint8_t, 16>& random) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring name = L"~qlm";
  for (std::uint8_t byte : random) {
    name += kHex[byte >> 4];
    name += kHex[byte & 15];
  }
  return name + L".tmp";
}

Verdict Judge(const OpenedFacts& facts) {
  if (facts.reparsePoint || !facts.finalPathMatches) return Verdict::Link;
  if (facts.links != 1) return Verdict::HardLinked;
  return Verdict::Accept;
}

}  // namespace folderpath
