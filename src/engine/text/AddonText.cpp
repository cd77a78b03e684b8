#include "engine/text/AddonText.h"

#include <array>

namespace discovery::text {

bool HasClsidLength(const std::wstring& name) { return name.size() == kClsidLength; }

std::wstring RemoveAmpersands(const std::wstring& name) {
  std::wstring out;
  out.reserve(name.size());
  for (wchar_t ch : name)
    if (ch != L'&') out.push_back(ch);
  return out;
}

std::wstring TrimSpaces(const std::wstring& text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return text.substr(first, last - first + 1);
}

std::wstring AsciiLower(const std::wstring& text) {
  std::wstring out = text;
  for (auto& ch : out)
    if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
  return out;
}

std::wstring AsciiUpper(const std::wstring& text) {
  std::wstring out = text;
  for (auto& ch : out)
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
  return out;
}

namespace {
// A path as IsFileInFolders compares it.
std::wstring ComparedPath(const std::wstring& path) {
  std::wstring out = AsciiLower(path);
  for (auto& ch : out)
    if (ch == L'/') ch = L'\\';
  if (out.compare(0, 4, L"\\\\?\\") == 0 || out.compare(0, 4, L"\\??\\") == 0) out.erase(0, 4);
  return out;
}
}  // namespace

bool IsFileInFolders(const std::wstring& file, const std::wstring& name, const std::vector<std::wstring>& folders) {
  if (file.empty() || name.empty()) return false;
  const std::wstring wanted = ComparedPath(file);
  for (const auto& folder : folders) {
    std::wstring base = ComparedPath(folder);
    while (!base.empty() && base.back() == L'\\') base.pop_back();
    if (!base.empty() && wanted == base + L"\\" + AsciiLower(name)) return true;
  }
  return false;
}

bool IsBuiltInToolbarFile(const std::wstring& resolvedFile, const std::vector<std::wstring>& systemFolders) {
  static const std::array<const wchar_t*, 5> builtIn = {L"browseui.dll", L"msdxm.ocx", L"shell32.dll", L"ieframe.dll",
                                                         L"explorerframe.dll"};
  for (const auto* name : builtIn)
    if (IsFileInFolders(resolvedFile, name, systemFolders)) return true;
  return false;
}

bool IsBuiltInExplorerBar(const std::wstring& upperClsid) {
  static const std::array<const wchar_t*, 9> builtIn = {
      L"{EFA24E61-B078-11D0-89E4-00C04FC9E26E}", L"{EFA24E64-B078-11D0-89E4-00C04FC9E26E}",
      L"{EFA24E62-B078-11D0-89E4-00C04FC9E26E}", L"{30D02401-6A81-11D0-8274-00C04FD5AE38}",
      L"{32683183-48A0-441B-A342-7C2A440A9478}", L"{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}",
      L"{4D5C8C25-D075-11D0-B416-00C04FB90376}", L"{BDEADE7F-C265-11D0-BCED-00A0C90AB50F}",
      L"{21569614-B795-46B1-85F4-E737A8DC09AD}"};
  for (const auto* id : builtIn)
    if (upperClsid == id) return true;
  return false;
}

namespace {
bool StartsWithNoCase(const std::wstring& text, const std::wstring& lowerPrefix) {
  return text.size() >= lowerPrefix.size() && AsciiLower(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}
}  // namespace

std::wstring ResourceAddressFile(const std::wstring& address) {
  if (!StartsWithNoCase(address, L"res://")) return address;
  std::wstring rest = address.substr(6);
  // The page name follows the file after a "/"; a "/" in first place is
  // part of the file.
  const auto slash = rest.size() > 1 ? rest.find(L'/', 1) : std::wstring::npos;
  if (slash != std::wstring::npos) rest.resize(slash);
  return rest;
}

std::wstring MenuScriptFile(const std::wstring& address) {
  if (StartsWithNoCase(address, L"res://")) return ResourceAddressFile(address);
  if (StartsWithNoCase(address, L"file://")) {
    std::wstring path = address.substr(7);
    // "file:///C:/page.htm", the usual form of a local address, has one
    // slash more before the drive.
    if (path.size() >= 3 && path[0] == L'/' && path[2] == L':' &&
        ((path[1] >= L'A' && path[1] <= L'Z') || (path[1] >= L'a' && path[1] <= L'z')))
      path.erase(0, 1);
    return path;
  }
  return address;
}

std::wstring CombinedButtonName(const std::wstring& button, const std::wstring& menu) {
  return button != menu ? button + L" " + menu : button;
}

std::wstring ButtonDisplayName(const std::wstring& button, const std::wstring& menu) {
  return !button.empty() ? button : menu;
}

std::wstring Wow32SystemFile(const std::wstring& name, const std::wstring& systemFolder,
                             const std::wstring& wow32Folder) {
  if (name.empty() || systemFolder.empty() || wow32Folder.empty()) return {};
  if (name.find_first_of(L"\\/:") == std::wstring::npos) return wow32Folder + L"\\" + name;
  const std::wstring folder = AsciiLower(systemFolder) + L"\\";
  if (name.size() > folder.size() && AsciiLower(name.substr(0, folder.size())) == folder)
    return wow32Folder + name.substr(systemFolder.size());
  return {};
}

UserKeyKind ClassifyUserKey(const std::wstring& name) {
  if (AsciiUpper(name) == L".DEFAULT") return UserKeyKind::Default;
  static const std::wstring classesSuffix = L"_CLASSES";
  if (name.size() >= classesSuffix.size() &&
      AsciiUpper(name.substr(name.size() - classesSuffix.size())) == classesSuffix)
    return UserKeyKind::Classes;
  if (name.size() >= 2 && name[0] == L'S' && name[1] == L'-') return UserKeyKind::Sid;
  return UserKeyKind::Other;
}

}  // namespace discovery::text
