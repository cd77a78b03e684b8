#include "engine/kinds/DiscoveryRun.h"

#include "core/Strings.h"
#include "engine/text/AddonText.h"
#include "ozcore/CaseFold.h"
#include "ozcore/FormatText.h"
#include "ozcore/PathText.h"

namespace discovery {

DiscoveryRun::DiscoveryRun(engine::MachineSources& machine) : machine_(machine), views_(machine.views) {
  if (views_.empty()) views_.push_back(RegView::Default);
}
DiscoveryRun::DiscoveryRun(engine::MachineSources& machine, RegView view) : machine_(machine), views_{view} {}
DiscoveryRun::~DiscoveryRun() = default;

engine::RegistryView& DiscoveryRun::Registry(RegView view) {
  auto& registry = registries_[view];
  if (!registry) {
    engine::FileFacts& files = machine_.files;
    registry = std::make_unique<engine::RegistryView>(
        machine_.registry, view, machine_.classesUser,
        [&files](const std::wstring& text, bool as32) { return files.Expand(text, as32); });
  }
  return *registry;
}

bool DiscoveryRun::ReadListedString(engine::RegistryView& registry, Root root, const std::wstring& path,
                                    const std::wstring& name, std::wstring& out) {
  std::uint64_t tooLarge = 0;
  if (registry.ReadString(root, path, name, out, &tooLarge)) return true;
  if (tooLarge == 0) return false;
  out = formattext::Format(LoadStr(IDS_VALUE_TOO_LARGE), {std::to_wstring(tooLarge)});
  return true;
}

RegView DiscoveryRun::ClassView(const std::wstring& clsid, const std::vector<RegView>& views) {
  if (views.empty()) return views_.front();
  if (views.size() > 1) {
    for (const RegView view : views)
      if (Registry(view).KeyExists(Root::Classes, L"CLSID\\" + clsid)) return view;
  }
  return views.front();
}

namespace {
bool As32BitProcess(RegView view) { return view == RegView::Wow32; }
}  // namespace

std::vector<std::wstring> DiscoveryRun::SystemFolders(RegView view) {
  std::wstring folder = machine_.files.SystemFolder(As32BitProcess(view));
  if (folder.empty()) return {};
  return {std::move(folder)};
}

std::wstring DiscoveryRun::FileSearchName(const std::wstring& fileString) {
  return machine_.files.Expand(pathtext::UnquotedFileName(fileString), false);
}

DiscoveryRun::ResolvedFile DiscoveryRun::ResolveFile(const std::wstring& rawFile, RegView view) {
  engine::FileFacts& files = machine_.files;
  const bool as32 = As32BitProcess(view);
  ResolvedFile facts;
  facts.raw = rawFile;
  // Classified with the variables the view's process reads.
  facts.kind = files.Kind(files.Expand(rawFile, as32));
  if (facts.kind != engine::PathKind::Local) {
    facts.file = facts.resolved = rawFile;
    return facts;
  }
  facts.file = rawFile;
  if (as32 && !rawFile.empty()) {
    const std::wstring candidate = text::Wow32SystemFile(FileSearchName(files.Expand(rawFile, true)),
                                                         files.SystemFolder(false), files.SystemFolder(true));
    if (!candidate.empty() && files.Exists(candidate)) facts.file = candidate;
  }
  facts.resolved = files.Resolve(facts.file, as32);
  return facts;
}

const CStringDictionary& DiscoveryRun::VersionStrings(const std::wstring& file) {
  auto it = versions_.find(file);
  if (it == versions_.end()) it = versions_.emplace(file, machine_.files.VersionStrings(file)).first;
  return it->second;
}

const CStringDictionary& DiscoveryRun::FileVersionStrings(const ResolvedFile& facts) {
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
  if (it == cache.end()) it = cache.emplace(text, machine_.files.IndirectString(text, as32)).first;
  return it->second;
}

void DiscoveryRun::AddFileInfo(engine::AddonEntry& entry, const ResolvedFile& facts) {
  entry.fileRead = true;
  const CStringDictionary& strings = FileVersionStrings(facts);
  std::wstring company;
  if (strings.TryGet(L"CompanyName", company)) entry.manufacturer = company;
  if (!strings.TryGet(L"ProductVersion", entry.version)) strings.TryGet(L"FileVersion", entry.version);
  strings.TryGet(L"ProductName", entry.product);
  if (facts.kind == engine::PathKind::Network) entry.fileNote = engine::FileNote::NetworkPath;
  if (facts.kind == engine::PathKind::Device) entry.fileNote = engine::FileNote::DevicePath;
}

std::wstring DiscoveryRun::ObjectName(const std::wstring& ownName, const ResolvedFile& facts) {
  std::wstring name = ownName;
  if (name.empty()) name = FileVersionStrings(facts).Item(L"ProductName");
  if (name.empty()) name = FileNameOf(facts);
  if (name.empty()) name = LoadStr(IDS_NONAME);
  return text::RemoveAmpersands(name);
}

DiscoveryRun::ClassFacts DiscoveryRun::ReadClass(const std::wstring& clsid, RegView view) {
  ClassFacts facts;
  if (clsid.empty() || clsid.find(L'\\') != std::wstring::npos) return facts;
  engine::RegistryView& registry = Registry(view);
  std::wstring rawFile;
  ReadListedString(registry, Root::Classes, L"CLSID\\" + clsid, L"", facts.name);
  ReadListedString(registry, Root::Classes, L"CLSID\\" + clsid + L"\\InProcServer32", L"", rawFile);
  facts.file = ResolveFile(rawFile, view);
  return facts;
}

std::wstring DiscoveryRun::FileNameOf(const ResolvedFile& facts) {
  return pathtext::FileNamePart(FileSearchName(facts.file));
}

namespace {
bool IsFullDrivePath(const std::wstring& path) {
  return path.size() > 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
         path[1] == L':' && path[2] == L'\\';
}
}  // namespace

std::wstring DiscoveryRun::SignatureText(const engine::AddonEntry& entry) {
  if (entry.file.empty()) return LoadStr(IDS_SIGNATURE_NO_FILE);
  // Not opened while listing: not opened now.
  if (entry.fileNote != engine::FileNote::None)
    return LoadStr(machine_.files.Kind(entry.file) == engine::PathKind::Device ? IDS_SIGNATURE_DEVICE_PATH
                                                                                : IDS_SIGNATURE_NETWORK_PATH);
  auto it = signatures_.find(entry.file);
  if (it != signatures_.end()) return it->second;
  return signatures_.emplace(entry.file, CheckedSignatureText(entry.file)).first->second;
}

std::wstring DiscoveryRun::CheckedSignatureText(const std::wstring& file) {
  const engine::PathKind kind = machine_.files.Kind(file);
  if (kind == engine::PathKind::Device) return LoadStr(IDS_SIGNATURE_DEVICE_PATH);
  if (kind != engine::PathKind::Local) return LoadStr(IDS_SIGNATURE_NETWORK_PATH);
  // Only a whole local path is handed to the check, which would otherwise
  // look for the file itself.
  if (!IsFullDrivePath(file) || !machine_.files.Exists(file)) return LoadStr(IDS_SIGNATURE_NO_FILE);
  return machine_.files.SignatureText(file);
}

std::wstring DiscoveryRun::ScopeForUserKey(const std::wstring& userKey) {
  auto it = scopes_.find(userKey);
  if (it != scopes_.end()) return it->second;
  std::wstring scope;
  switch (text::ClassifyUserKey(userKey)) {
    case text::UserKeyKind::Default:
      scope = LoadStr(IDS_SCOPE_DEFAULT);
      break;
    case text::UserKeyKind::Sid:
      if (machine_.accountName) scope = machine_.accountName(userKey);
      for (const auto& sid : machine_.usersNotSignedIn)
        if (FoldCase(sid) == FoldCase(userKey)) scope = formattext::Format(LoadStr(IDS_SCOPE_NOT_SIGNED_IN), {scope});
      break;
    case text::UserKeyKind::Classes:
    case text::UserKeyKind::Other:
      break;
  }
  return scopes_.emplace(userKey, scope).first->second;
}

}  // namespace discovery
