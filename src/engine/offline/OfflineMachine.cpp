#include "engine/offline/OfflineMachine.h"

#include <map>

#include "core/Strings.h"
#include "engine/files/ImageFileSource.h"
#include "engine/files/MemoryFileSource.h"
#include "engine/sources/HiveRegistry.h"
#include "engine/sources/RegistryView.h"
#include "engine/text/AddonText.h"
#include "ozcore/CaseFold.h"
#include "ozcore/EnvText.h"

namespace engine {

namespace {

constexpr const wchar_t* kCurrentVersionNt = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const wchar_t* kCurrentVersion = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const wchar_t* kProfileList = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

std::unique_ptr<HiveBytes> BytesOf(std::unique_ptr<OpenFile> file) {
  if (!file) return nullptr;
  return std::make_unique<HiveBytesOver<OpenFile>>(std::move(file));
}

// Variables named without regard to case, as the system names them.
class Variables {
 public:
  void Set(const std::wstring& name, const std::wstring& value) {
    values_[FoldCase(name)] = value;
    named_[name] = value;
  }
  std::wstring Expand(const std::wstring& text) const {
    return envtext::Expand(text, [this](const std::wstring& name) -> std::optional<std::wstring> {
      const auto it = values_.find(FoldCase(name));
      if (it == values_.end()) return std::nullopt;
      return it->second;
    });
  }
  const std::map<std::wstring, std::wstring>& Named() const { return named_; }

 private:
  std::map<std::wstring, std::wstring> values_, named_;
};

}  // namespace

struct OfflineMachine::Parts {
  HiveRegistry registry;
  MemoryFileSource noFiles;
  FileSource& drive;
  OfflineReport report;
  std::map<std::wstring, std::wstring> accounts;  // folded SID -> profile folder name
  std::vector<RegView> views;
  SystemDescription system;
  SourceFileFacts files;
  MachineSources sources;

  Parts(FileSource* image, const std::vector<LooseHive>& loose, const HostFileOpener& openHost)
      : drive(image ? *image : noFiles),
        system(Prepare(image != nullptr, loose, openHost)),
        files(drive, system),
        sources{registry, files, [this](const std::wstring& sid) { return AccountOf(sid); }, L"", views, {}} {}

  std::wstring AccountOf(const std::wstring& sid) const {
    const auto it = accounts.find(FoldCase(sid));
    return it == accounts.end() ? std::wstring() : it->second;
  }

  // Mounts the hives, names the users and describes the system; runs
  // before the file facts are made from its answer.
  SystemDescription Prepare(bool fromImage, const std::vector<LooseHive>& loose, const HostFileOpener& openHost) {
    for (const auto& hive : loose) MountLoose(hive, openHost);
    if (fromImage) {
      MountFromImage(Tree::Machine, L"SOFTWARE", std::wstring(kConfigFolder) + L"SOFTWARE");
      MountFromImage(Tree::Users, L".DEFAULT", std::wstring(kConfigFolder) + L"DEFAULT");
      MountFromImage(Tree::Users, L"S-1-5-18", kSystemProfileHive);
    }
    Variables variables = ReadVariables();
    if (fromImage) MountProfiles(variables);
    return Describe(variables);
  }

  void Mount(Tree tree, const std::wstring& name, const std::wstring& file, std::unique_ptr<HiveBytes> primary,
             std::unique_ptr<HiveBytes> log1, std::unique_ptr<HiveBytes> log2) {
    OfflineHive& hive = report.hives.emplace_back();
    hive.name = name;
    hive.file = file;
    if (!primary) return;  // missing
    HiveFile::Opened opened = HiveFile::Open(std::move(primary), std::move(log1), std::move(log2));
    if (!opened.hive) {
      hive.state = OfflineHiveState::Refused;
      hive.refusal = opened.refusal;
      return;
    }
    hive.dirty = opened.hive->Report().dirty;
    hive.recovery = opened.hive->Report().recovery;
    hive.state = registry.Mount(tree, name, std::move(opened.hive)) ? OfflineHiveState::Opened
                                                                    : OfflineHiveState::NameTaken;
  }

  void MountLoose(const LooseHive& loose, const HostFileOpener& openHost) {
    const bool machine = loose.kind == LooseHive::Kind::Machine;
    const std::wstring name = machine ? L"SOFTWARE" : loose.sid + (loose.kind == LooseHive::Kind::Classes ? L"_Classes" : L"");
    Mount(machine ? Tree::Machine : Tree::Users, name, loose.path, BytesOf(openHost(loose.path)),
          BytesOf(openHost(loose.path + L".LOG1")), BytesOf(openHost(loose.path + L".LOG2")));
  }

  // A hive of the image, unless a loose hive was given in its place.
  void MountFromImage(Tree tree, const std::wstring& name, const std::wstring& path) {
    if (registry.Mounted(tree, name)) return;
    Mount(tree, name, path, BytesOf(drive.Open(path)), BytesOf(drive.Open(path + L".LOG1")),
          BytesOf(drive.Open(path + L".LOG2")));
  }

  std::optional<std::wstring> ReadText(const std::wstring& path, const std::wstring& name) {
    const auto value = registry.ReadValue(Tree::Machine, path, name, kMaxReadValueBytes);
    if (!value || (value->type != valuetype::kString && value->type != valuetype::kExpandString)) return std::nullopt;
    return StringOfValue(*value);
  }

  // Sets a variable from a value of the software hive, expanded with the
  // variables set before it.
  void SetFrom(Variables& variables, const std::wstring& variable, const std::wstring& path, const std::wstring& name) {
    if (const auto text = ReadText(path, name)) variables.Set(variable, variables.Expand(*text));
  }

  Variables ReadVariables() {
    Variables v;
    v.Set(L"SystemDrive", std::wstring(1, ImageFileSource::kDrive) + L":");
    v.Set(L"SystemRoot", L"C:\\Windows");
    SetFrom(v, L"SystemRoot", kCurrentVersionNt, L"SystemRoot");
    v.Set(L"windir", v.Expand(L"%SystemRoot%"));
    const struct {
      const wchar_t *variable, *path, *name;
    } values[] = {{L"ProgramFiles", kCurrentVersion, L"ProgramFilesDir"},
                  {L"ProgramW6432", kCurrentVersion, L"ProgramFilesDir"},
                  {L"ProgramFiles(x86)", kCurrentVersion, L"ProgramFilesDir (x86)"},
                  {L"CommonProgramFiles", kCurrentVersion, L"CommonFilesDir"},
                  {L"CommonProgramW6432", kCurrentVersion, L"CommonFilesDir"},
                  {L"CommonProgramFiles(x86)", kCurrentVersion, L"CommonFilesDir (x86)"},
                  {L"ProgramData", kProfileList, L"ProgramData"},
                  {L"ALLUSERSPROFILE", kProfileList, L"ProgramData"},
                  {L"PUBLIC", kProfileList, L"Public"}};
    for (const auto& value : values) SetFrom(v, value.variable, value.path, value.name);
    return v;
  }

  // Each profile the software hive lists: its hives where its folder is
  // on the image's drive, and its folder's name as the user's name.
  void MountProfiles(const Variables& variables) {
    for (const auto& sid : registry.SubKeyNames(Tree::Machine, kProfileList)) {
      if (discovery::text::ClassifyUserKey(sid) != discovery::text::UserKeyKind::Sid) continue;
      const auto written = ReadText(std::wstring(kProfileList) + L"\\" + sid, L"ProfileImagePath");
      if (!written) continue;
      const std::wstring expanded = variables.Expand(*written);
      const auto full = FullDrivePath(expanded);
      const auto parts = full ? imagepath::DriveParts(*full) : std::nullopt;
      if (!parts || parts->empty()) {
        report.profilesOutside.push_back({sid, expanded});
        continue;
      }
      accounts.emplace(FoldCase(sid), parts->back());
      MountFromImage(Tree::Users, sid, *full + L"\\NTUSER.DAT");
      MountFromImage(Tree::Users, sid + L"_Classes", *full + kUserClassesHive);
    }
  }

  SystemDescription Describe(const Variables& variables) {
    SystemDescription described;
    described.environment = variables.Named();
    const std::wstring root = variables.Expand(L"%SystemRoot%");
    described.systemFolder = root + L"\\System32";
    if (drive.List(root + L"\\SysWOW64")) described.systemFolder32 = root + L"\\SysWOW64";
    described.searchFolders = {described.systemFolder, root + L"\\System", root};
    described.signatureText = LoadStr(IDS_OFFLINE_NOT_CHECKED);
    // The 32-bit view where the system runs 32-bit programs, or where its
    // software hive keeps 32-bit keys (a hive given without its files).
    views = {RegView::Native};
    if (!described.systemFolder32.empty() || registry.KeyExists(Tree::Machine, L"SOFTWARE\\Wow6432Node"))
      views.push_back(RegView::Wow32);
    return described;
  }
};

OfflineMachine::OfflineMachine(FileSource* image, const std::vector<LooseHive>& loose, const HostFileOpener& openHost)
    : parts_(std::make_unique<Parts>(image, loose, openHost)) {}
OfflineMachine::~OfflineMachine() = default;

MachineSources& OfflineMachine::Sources() { return parts_->sources; }
const OfflineReport& OfflineMachine::Report() const { return parts_->report; }
const SystemDescription& OfflineMachine::System() const { return parts_->system; }

}  // namespace engine
