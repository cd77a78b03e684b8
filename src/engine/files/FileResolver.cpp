#include "engine/files/FileResolver.h"

#include "engine/files/FileGate.h"
#include "ozcore/CUtilities.h"

using discovery::FileGate;
using discovery::PathKind;


FileResolver::FileResolver(bool convertToLongNames) : longNames_(convertToLongNames) {}

std::wstring FileResolver::GetFullFileNameFromShortFilename(const std::wstring& input, bool as32BitProcess) {
  if (input.empty()) return {};
  CStringDictionary& cache = as32BitProcess ? cache32_ : cache_;
  std::wstring answer;
  if (cache.TryGet(input, answer)) return answer;
  answer = Resolve(input, as32BitProcess);
  cache.Add(answer, input);
  return answer;
}

std::wstring FileResolver::Resolve(const std::wstring& input, bool as32BitProcess) const {
  std::wstring name = input;
  if (name.compare(0, 4, L"\\??\\") == 0) name.erase(0, 4);
  if (as32BitProcess) name = CUtilities::ExpandVariables(name, true);
  // Classified as the search will read it; kept as written when refused.
  if (FileGate::Kind(CUtilities::ExpandVariables(name, false)) != PathKind::Local ||
      FileGate::Kind(input) != PathKind::Local)
    return input;

  // First the name as a command line gives it (quotes and arguments gone,
  // variables expanded), then the text itself.
  // The second search only when the text differs from the first: the same
  // search again could find nothing new.
  const std::wstring searchName = CUtilities::FileSearchName(name);
  std::wstring found = FileGate::Search(searchName);
  if (found.empty() && searchName != name) found = FileGate::Search(name);

  if (found.empty()) return name;
  if (!longNames_) return found;
  // A file that was found is never reported as missing because its long
  // name could not be had (a folder on the way that cannot be listed).
  const std::wstring longName = FileGate::LongName(found);
  return longName.empty() ? found : longName;
}

const std::wstring* FileResolver::KnownSignature(const std::wstring& file,
                                                 const discovery::FileIdentity& identity) const {
  const auto it = signatures_.find(file);
  return it != signatures_.end() && it->second.first == identity ? &it->second.second : nullptr;
}

void FileResolver::KeepSignature(const std::wstring& file, const discovery::FileIdentity& identity,
                                 const std::wstring& text) {
  signatures_[file] = {identity, text};
}
