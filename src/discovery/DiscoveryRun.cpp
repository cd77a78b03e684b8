#include "discovery/DiscoveryRun.h"

#include "app/ErrorReport.h"
#include "app/MQLMState.h"
#include "app/Strings.h"
#include "discovery/AddonRecord.h"
#include "discovery/AddonText.h"
#include "discovery/CFileChecker.h"
#include "discovery/HiveWalk.h"
#include "discovery/IndirectString.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CUtilities.h"

namespace discovery {

DiscoveryRun::DiscoveryRun(std::vector<RegView> views) : views_(std::move(views)) {
  if (views_.empty()) views_.push_back(RegView::Default);
}
DiscoveryRun::DiscoveryRun(RegView view) : DiscoveryRun(std::vector<RegView>{view}) {}
DiscoveryRun::~DiscoveryRun() = default;

CRegistry& DiscoveryRun::Registry(RegView view) {
  auto& registry = registries_[view];
  if (!registry) registry = std::make_unique<CRegistry>(view);
  return *registry;
}

RegView DiscoveryRun::ClassView(const std::wstring& clsid, const std::vector<RegView>& views) {
  if (views.empty()) return views_.front();
  if (views.size() > 1) {
    for (const RegView view : views)
      if (Registry(view).KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid)) return view;
  }
  return views.front();
}

std::wstring DiscoveryRun::FileInView(const std::wstring& rawFile, RegView view) {
  if (view != RegView::Wow32 || rawFile.empty() || !CRegistry::HasWow32View()) return rawFile;
  if (systemFolder_.empty()) {
    wchar_t buf[MAX_PATH] = {};
    if (GetSystemDirectoryW(buf, MAX_PATH)) systemFolder_ = buf;
    wchar_t wow[MAX_PATH] = {};
    if (GetSystemWow64DirectoryW(wow, MAX_PATH)) wow32SystemFolder_ = wow;
  }
  const std::wstring candidate =
      text::Wow32SystemFile(CUtilities::FileSearchName(rawFile), systemFolder_, wow32SystemFolder_);
  if (candidate.empty() || !CFileSystem::FileExists(candidate)) return rawFile;
  return candidate;
}

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

std::wstring DiscoveryRun::ObjectName(const std::wstring& ownName, const std::wstring& file,
                                      const std::wstring& resolved) {
  std::wstring name = ownName;
  if (name.empty()) name = FileVersionStrings(file, resolved).Item(L"ProductName");
  if (name.empty()) name = CUtilities::FileNamePart(CUtilities::FileSearchName(file));
  if (name.empty()) name = LoadStr(IDS_NONAME);
  return text::RemoveAmpersands(name);
}

std::wstring DiscoveryRun::ScopeForUserKey(const std::wstring& userKey) {
  auto it = scopes_.find(userKey);
  if (it == scopes_.end()) it = scopes_.emplace(userKey, discovery::ScopeForUserKey(userKey)).first;
  return it->second;
}

}  // namespace discovery
