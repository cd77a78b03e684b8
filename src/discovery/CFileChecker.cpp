#include "discovery/CFileChecker.h"

#include <windows.h>

#include "app/MQLMState.h"
#include "ozcore/CUtilities.h"

namespace {

constexpr DWORD kPathBuffer = 2000;

// The system's search for a file: the program's folder, the system folders,
// the current folder, PATH. A name with a folder part is looked for there
// only. Empty when nothing is found.
std::wstring SearchFile(const std::wstring& name) {
  if (name.empty()) return {};
  std::wstring found(kPathBuffer, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = SearchPathW(nullptr, name.c_str(), nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (n == 0) return {};
    if (n < found.size()) {
      found.resize(n);
      return found;
    }
    found.assign(n + 1, L'\0');  // longer than the buffer: n is the size needed
  }
  return {};
}

// The long form of an existing path; empty when the conversion fails.
std::wstring LongName(const std::wstring& path) {
  std::wstring out(kPathBuffer, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = GetLongPathNameW(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return {};
    if (n < out.size()) {
      out.resize(n);
      return out;
    }
    out.assign(n + 1, L'\0');
  }
  return {};
}

}  // namespace

CFileChecker::CFileChecker() : CFileChecker(MQLM::gIsNT && !MQLM::gIsNT4) {}

CFileChecker::CFileChecker(bool convertToLongNames) : longNames_(convertToLongNames) {}

std::wstring CFileChecker::GetFullFileNameFromShortFilename(const std::wstring& input) {
  if (input.empty()) return {};
  std::wstring answer;
  if (cache_.TryGet(input, answer)) return answer;

  std::wstring name = input;
  if (name.compare(0, 4, L"\\??\\") == 0) name.erase(0, 4);

  // First the name as a command line gives it (quotes and arguments gone,
  // variables expanded), then the text itself.
  // The second search only when the text differs from the first: the same
  // search again could find nothing new.
  const std::wstring searchName = CUtilities::FileSearchName(name);
  std::wstring found = SearchFile(searchName);
  if (found.empty() && searchName != name) found = SearchFile(name);

  if (found.empty()) {
    answer = name;
  } else if (longNames_) {
    answer = LongName(found);
    // A file that was found is never reported as missing because its long
    // name could not be had (a folder on the way that cannot be listed).
    if (answer.empty()) answer = found;
  } else {
    answer = found;
  }
  cache_.Add(answer, input);
  return answer;
}
