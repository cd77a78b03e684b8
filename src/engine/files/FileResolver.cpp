#include "engine/files/FileResolver.h"

#include "engine/files/FileGate.h"
#include "engine/files/SourceFileFacts.h"
#include "ozcore/CUtilities.h"

using discovery::FileGate;

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
  const auto search = [this](const std::wstring& name) {
    const std::wstring found = FileGate::Search(name);
    if (found.empty() || !longNames_) return found;
    // A file that was found is never reported as missing because its long
    // name could not be had (a folder on the way that cannot be listed).
    const std::wstring longName = FileGate::LongName(found);
    return longName.empty() ? found : longName;
  };
  return engine::ResolveFileString(input, as32BitProcess, {&CUtilities::ExpandVariables, &FileGate::Kind, search});
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
