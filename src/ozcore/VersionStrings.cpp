#include "ozcore/VersionStrings.h"

#include <windows.h>
#include <winver.h>

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

}  // namespace

CStringDictionary Read(const std::wstring& file) {
  CStringDictionary result(CStringDictionary::Compare::Text);
  if (file.empty()) return result;
  const auto info = ReadVersionBlock(file);

  for (const auto& entry : versionblock::StandardStrings(info)) result.Add(entry.value, entry.name);
  return result;
}

}  // namespace versionstrings
