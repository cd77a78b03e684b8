#include "ozcore/VersionStrings.h"

#include <windows.h>
#include <winver.h>

#include <algorithm>
#include <array>
#include <vector>

#include "ozcore/FileResource.h"
#include "ozcore/VersionBlock.h"

namespace versionstrings {
namespace {

// True when file is a full path with a drive ("C:\...") and nothing is
// there. Such a path is not searched for, so loading it could only fail;
// asking for the file's attributes finds that out several times faster
// than the loader's attempt.
bool SurelyMissing(const std::wstring& file) {
  const bool drivePath = file.size() > 3 && file[1] == L':' && file[2] == L'\\' &&
                         ((file[0] >= L'A' && file[0] <= L'Z') || (file[0] >= L'a' && file[0] <= L'z'));
  if (!drivePath || GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The version resource (id 1, any language) of a file, parsed by our own
// reader.
versionblock::VersionInfo ReadVersionBlock(const std::wstring& file) {
  if (SurelyMissing(file)) return {};
  const auto block = fileresource::Read(file, 16 /* RT_VERSION */, VS_VERSION_INFO);
  if (block.empty()) return {};
  return versionblock::Parse(block.data(), block.size());
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

// The first table under key, as the system's reader would pick it.
const versionblock::StringTable* FindTable(const versionblock::VersionInfo& info, const std::wstring& key) {
  for (const auto& table : info.tables)
    if (SameName(table.key, key)) return &table;
  return nullptr;
}

const std::wstring* QueryString(const versionblock::StringTable& table, const std::wstring& name) {
  for (const auto& entry : table.strings)
    if (SameName(entry.name, name)) return &entry.value;
  return nullptr;
}

std::wstring Hex4(unsigned value) {
  wchar_t buf[8];
  swprintf(buf, 8, L"%04X", value & 0xFFFF);
  return buf;
}

}  // namespace

CStringDictionary Read(const std::wstring& file) {
  CStringDictionary result(CStringDictionary::Compare::Text);
  if (file.empty()) return result;
  const auto info = ReadVersionBlock(file);

  std::vector<std::wstring> tables;
  if (!info.translations.empty())
    tables.push_back(Hex4(info.translations.front().language) + Hex4(info.translations.front().codePage));
  tables.push_back(L"040904B0");
  tables.push_back(L"040904E4");

  static const std::array<const wchar_t*, 12> names = {
      L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",    L"LegalCopyright", L"OriginalFilename",
      L"ProductName", L"ProductVersion",  L"Comments",    L"LegalTrademarks", L"PrivateBuild",   L"SpecialBuild"};
  for (const auto& key : tables) {
    const auto* table = FindTable(info, key);
    if (table == nullptr) continue;
    bool any = false;
    for (const auto* name : names) {
      if (const auto* value = QueryString(*table, name)) {
        result.Add(*value, name);
        any = true;
      }
    }
    if (any) break;
  }
  return result;
}

}  // namespace versionstrings
