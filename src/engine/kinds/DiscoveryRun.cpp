#include "engine/kinds/DiscoveryRun.h"

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/AddonText.h"
#include "engine/files/FileResolver.h"
#include "engine/files/FileGate.h"
#include "engine/files/FileSignature.h"
#include "engine/kinds/HiveWalk.h"
#include "engine/files/TrustAnswer.h"
#include "ozcore/CUtilities.h"

namespace discovery {

bool ReadListedString(CRegistry& registry, HKEY root, const std::wstring& path, const std::wstring& name,
                      std::wstring& out) {
  std::uint64_t tooLarge = 0;
  if (registry.ReadString(root, path, name, out, &tooLarge)) return true;
  if (tooLarge == 0) return false;
  out = CUtilities::FormatString(LoadStr(IDS_VALUE_TOO_LARGE), {std::to_wstring(tooLarge)});
  return true;
}

DiscoveryRun::DiscoveryRun(FileResolver& files, std::vector<RegView> views) : views_(std::move(views)), files_(files) {
  if (views_.empty()) views_.push_back(RegView::Default);
}
DiscoveryRun::DiscoveryRun(FileResolver& files, RegView view) : DiscoveryRun(files, std::vector<RegView>{view}) {}
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

namespace {
bool As32BitProcess(RegView view) { return view == RegView::Wow32 && CRegistry::HasWow32View(); }
}  // namespace

void DiscoveryRun::ReadSystemFolders() {
  if (!systemFolder_.empty()) return;
  wchar_t buf[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) systemFolder_.assign(buf, n);
  wchar_t wow[MAX_PATH] = {};
  const UINT w = GetSystemWow64DirectoryW(wow, MAX_PATH);
  if (w > 0 && w < MAX_PATH) wow32SystemFolder_.assign(wow, w);
}

std::vector<std::wstring> DiscoveryRun::SystemFolders(RegView view) {
  ReadSystemFolders();
  const std::wstring& folder = As32BitProcess(view) ? wow32SystemFolder_ : systemFolder_;
  if (folder.empty()) return {};
  return {folder};
}

std::wstring DiscoveryRun::FileInView(const std::wstring& rawFile, RegView view) {
  if (!As32BitProcess(view) || rawFile.empty()) return rawFile;
  ReadSystemFolders();
  const std::wstring candidate = text::Wow32SystemFile(
      CUtilities::FileSearchName(CUtilities::ExpandVariables(rawFile, true)), systemFolder_, wow32SystemFolder_);
  if (candidate.empty() || !FileGate::FileExists(candidate)) return rawFile;
  return candidate;
}

std::wstring DiscoveryRun::FullFileName(const std::wstring& rawFile, RegView view) {
  return files_.GetFullFileNameFromShortFilename(rawFile, As32BitProcess(view));
}

DiscoveryRun::FileFacts DiscoveryRun::ResolveFile(const std::wstring& rawFile, RegView view) {
  FileFacts facts;
  // Classified with the variables the view's process reads.
  facts.kind = FileGate::Kind(CUtilities::ExpandVariables(rawFile, As32BitProcess(view)));
  if (facts.kind != PathKind::Local) {
    facts.file = facts.resolved = rawFile;
    return facts;
  }
  facts.file = FileInView(rawFile, view);
  facts.resolved = FullFileName(facts.file, view);
  return facts;
}

const CStringDictionary& DiscoveryRun::VersionStrings(const std::wstring& file) {
  auto it = versions_.find(file);
  if (it == versions_.end()) it = versions_.emplace(file, FileGate::VersionStrings(file)).first;
  return it->second;
}

const CStringDictionary& DiscoveryRun::FileVersionStrings(const FileFacts& facts) {
  static const CStringDictionary none;
  if (!facts.Openable()) return none;
  const CStringDictionary& strings = VersionStrings(facts.file);
  if (strings.Count() > 0 || facts.resolved.empty() || facts.resolved == facts.file) return strings;
  return VersionStrings(facts.resolved);
}

std::wstring DiscoveryRun::IndirectString(const std::wstring& text, RegView view) {
  if (text.empty() || text[0] != L'@') return text;
  const bool as32 = As32BitProcess(view);
  auto& cache = as32 ? indirect32_ : indirect_;
  auto it = cache.find(text);
  if (it == cache.end()) it = cache.emplace(text, FileGate::IndirectString(text, as32)).first;
  return it->second;
}

void DiscoveryRun::AddFileInfo(CResultNode& node, const FileFacts& facts) {
  Guarded(L"MQLM.AddFileInfoToResultNode", kLevelError, [&] { AddVersionDetails(node, FileVersionStrings(facts)); });
  if (facts.kind == PathKind::Network) node.params.Add(keys::kFileNote, LoadStr(IDS_NETWORK_PATH_NOT_OPENED));
  if (facts.kind == PathKind::Device) node.params.Add(keys::kFileNote, LoadStr(IDS_DEVICE_PATH_NOT_OPENED));
}

std::wstring DiscoveryRun::ObjectName(const std::wstring& ownName, const FileFacts& facts) {
  std::wstring name = ownName;
  if (name.empty()) name = FileVersionStrings(facts).Item(L"ProductName");
  if (name.empty()) name = CUtilities::FileNamePart(CUtilities::FileSearchName(facts.file));
  if (name.empty()) name = LoadStr(IDS_NONAME);
  return text::RemoveAmpersands(name);
}

DiscoveryRun::ClassFacts DiscoveryRun::ReadClass(const std::wstring& clsid, RegView view) {
  ClassFacts facts;
  if (clsid.empty() || clsid.find(L'\\') != std::wstring::npos) return facts;
  CRegistry& registry = Registry(view);
  ReadListedString(registry, HKEY_CLASSES_ROOT, L"CLSID\\" + clsid, L"", facts.name);
  ReadListedString(registry, HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InProcServer32", L"", facts.rawFile);
  facts.file = ResolveFile(facts.rawFile, view);
  return facts;
}

std::wstring DiscoveryRun::FileNameOf(const FileFacts& facts) {
  return CUtilities::FileNamePart(CUtilities::FileSearchName(facts.file));
}

namespace {
bool IsFullDrivePath(const std::wstring& path) {
  return path.size() > 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
         path[1] == L':' && path[2] == L'\\';
}

const trust::AnswerTexts& SignatureTexts() {
  static const trust::AnswerTexts texts{LoadStr(IDS_SIGNED_BY),          LoadStr(IDS_NOT_SIGNED),
                                        LoadStr(IDS_SIGNATURE_BAD_DIGEST), LoadStr(IDS_SIGNED_NOT_TRUSTED),
                                        LoadStr(IDS_SIGNATURE_NOT_CHECKED), LoadStr(IDS_SIGNER_UNKNOWN)};
  return texts;
}
}  // namespace

std::wstring DiscoveryRun::SignatureText(const CResultNode& record) {
  const std::wstring file = record.params.Text(keys::kDll);
  if (file.empty()) return LoadStr(IDS_SIGNATURE_NO_FILE);
  // Not opened while listing: not opened now.
  if (record.params.IsInCollection(keys::kFileNote))
    return LoadStr(FileGate::Kind(file) == PathKind::Device ? IDS_SIGNATURE_DEVICE_PATH : IDS_SIGNATURE_NETWORK_PATH);
  auto it = signatures_.find(file);
  if (it != signatures_.end()) return it->second;
  return signatures_.emplace(file, CheckedSignatureText(file)).first->second;
}

std::wstring DiscoveryRun::CheckedSignatureText(const std::wstring& file) {
  const PathKind kind = FileGate::Kind(file);
  if (kind == PathKind::Device) return LoadStr(IDS_SIGNATURE_DEVICE_PATH);
  if (kind != PathKind::Local) return LoadStr(IDS_SIGNATURE_NETWORK_PATH);
  // Only a whole local path is handed to the check, which would otherwise
  // look for the file itself.
  if (!IsFullDrivePath(file) || !FileGate::FileExists(file)) return LoadStr(IDS_SIGNATURE_NO_FILE);
  const SignatureSubject subject(file);
  // Checked in an earlier listing and the same file unchanged since: the
  // same answer.
  const std::optional<FileIdentity> identity = subject.Identity();
  if (identity)
    if (const std::wstring* known = files_.KnownSignature(file, *identity)) return *known;
  const SignatureCheck check = subject.Check();
  std::wstring text = trust::AnswerText(check.result, check.signer, SignatureTexts());
  if (identity) files_.KeepSignature(file, *identity, text);
  return text;
}

std::wstring DiscoveryRun::ScopeForUserKey(const std::wstring& userKey) {
  auto it = scopes_.find(userKey);
  if (it == scopes_.end()) it = scopes_.emplace(userKey, discovery::ScopeForUserKey(userKey)).first;
  return it->second;
}

}  // namespace discovery
