#include "discovery/DiscoveryRun.h"

#include "app/ErrorReport.h"
#include "app/MQLMState.h"
#include "discovery/AddonRecord.h"
#include "discovery/CFileChecker.h"
#include "discovery/HiveWalk.h"
#include "discovery/IndirectString.h"
#include "ozcore/CUtilities.h"

namespace discovery {

DiscoveryRun::DiscoveryRun(RegView view) : registry_(view) {}
DiscoveryRun::~DiscoveryRun() = default;

std::wstring DiscoveryRun::FullFileName(const std::wstring& rawFile) {
  CFileChecker* checker = MQLM::gFileChecker;
  if (!checker) {
    if (!ownChecker_) ownChecker_ = std::make_unique<CFileChecker>();
    checker = ownChecker_.get();
  }
  return checker->GetFullFileNameFromShortFilename(rawFile);
}

const CStringDictionary& DiscoveryRun::VersionStrings(const std::wstring& file) {
  auto it = versions_.find(file);
  if (it == versions_.end()) it = versions_.emplace(file, CUtilities::GetVersionStrings(file)).first;
  return it->second;
}

const CStringDictionary& DiscoveryRun::FileVersionStrings(const std::wstring& file, const std::wstring& resolved) {
  const CStringDictionary& strings = VersionStrings(file);
  if (strings.Count() > 0 || resolved.empty() || resolved == file) return strings;
  return VersionStrings(resolved);
}

std::wstring DiscoveryRun::IndirectString(const std::wstring& text) {
  if (text.empty() || text[0] != L'@') return text;
  auto it = indirect_.find(text);
  if (it == indirect_.end()) it = indirect_.emplace(text, LoadIndirectString(text)).first;
  return it->second;
}

void DiscoveryRun::AddFileInfo(CResultNode& node, const std::wstring& file, const std::wstring& resolved) {
  Guarded(L"MQLM.AddFileInfoToResultNode", kLevelError,
          [&] { AddVersionDetails(node, FileVersionStrings(file, resolved)); });
}

std::wstring DiscoveryRun::ProductName(const std::wstring& file, const std::wstring& resolved) {
  return FileVersionStrings(file, resolved).Item(L"ProductName");
}

std::wstring DiscoveryRun::ScopeForUserKey(const std::wstring& userKey) {
  auto it = scopes_.find(userKey);
  if (it == scopes_.end()) it = scopes_.emplace(userKey, discovery::ScopeForUserKey(userKey)).first;
  return it->second;
}

}  // namespace discovery
