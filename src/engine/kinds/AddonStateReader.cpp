#include "engine/kinds/AddonStateReader.h"

#include "StringIds.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/text/AddonText.h"

namespace discovery {

namespace {
constexpr const wchar_t* kSettingsParent = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";
constexpr const wchar_t* kPolicyList = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Ext\\CLSID";
constexpr const wchar_t* kPolicyExt = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Ext";
constexpr const wchar_t* kRestrictions = L"Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
constexpr const wchar_t* kMain = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr const wchar_t* kMainPolicy = L"Software\\Policies\\Microsoft\\Internet Explorer\\Main";

// A value as text: a string as stored, a number in decimal.
std::optional<std::wstring> ReadAsText(engine::RegistryView& registry, Root root, const std::wstring& path,
                                       const std::wstring& name) {
  std::wstring text;
  if (registry.ReadString(root, path, name, text)) return text;
  if (const auto number = registry.ReadDword(root, path, name)) return std::to_wstring(*number);
  return std::nullopt;
}

bool IsOne(const std::optional<std::wstring>& text) { return text && *text == L"1"; }

std::unordered_set<std::wstring> UpperNames(const std::vector<std::wstring>& names) {
  std::unordered_set<std::wstring> upper;
  for (const auto& name : names) upper.insert(text::AsciiUpper(name));
  return upper;
}

bool IsServiceAccount(const std::wstring& key) {
  return key == L"S-1-5-18" || key == L"S-1-5-19" || key == L"S-1-5-20";
}
}  // namespace

std::wstring AddonSettingsPath(const std::wstring& id) { return std::wstring(kSettingsParent) + L"\\" + id; }

AddonStateReader::AddonStateReader(DiscoveryRun& run) : run_(run) {}

const std::vector<std::wstring>& AddonStateReader::LoadedUsers() {
  if (usersRead_) return loadedUsers_;
  usersRead_ = true;
  for (const auto& key : run_.Registry().SubKeys(Root::Users, L"")) {
    if (text::ClassifyUserKey(key) != text::UserKeyKind::Sid || IsServiceAccount(key)) continue;
    // A name that would reach another key is no user's.
    if (key.find(L'\\') != std::wstring::npos || key.find(L'\0') != std::wstring::npos) continue;
    loadedUsers_.push_back(key);
  }
  return loadedUsers_;
}

std::wstring AddonStateReader::OwnUserOf(const CResultNode& record) {
  const CParam* root = record.params.Find(keys::kKey);
  if (!root || root->Number() != kUsersRootNumber) return {};
  const std::wstring hive = record.params.Text(keys::kHive);
  const std::size_t slash = hive.find(L'\\');
  if (slash == 0 || slash == std::wstring::npos) return {};
  return hive.substr(0, slash);
}

std::vector<std::wstring> AddonStateReader::UsersOf(const CResultNode& record) {
  const CParam* root = record.params.Find(keys::kKey);
  if (root && root->Number() == kUsersRootNumber) {
    const std::wstring own = OwnUserOf(record);
    if (own.empty()) return {};
    return {own};
  }
  return LoadedUsers();
}

const AddonStateReader::UserPolicies& AddonStateReader::PoliciesOfUser(const std::wstring& userKey) {
  auto it = userPolicies_.find(userKey);
  if (it != userPolicies_.end()) return it->second;
  engine::RegistryView& registry = run_.Registry();
  UserPolicies policies;
  const std::wstring prefix = userKey + L"\\";
  policies.allTurnedOff =
      state::SwitchTurnsAllOff(ReadAsText(registry, Root::Users, prefix + kMainPolicy, L"Enable Browser Extensions")) ||
      state::SwitchTurnsAllOff(ReadAsText(registry, Root::Users, prefix + kMain, L"Enable Browser Extensions"));
  policies.noManagement = IsOne(ReadAsText(registry, Root::Users, prefix + kRestrictions, L"NoExtensionManagement"));
  policies.settingsIds = UpperNames(registry.SubKeys(Root::Users, prefix + kSettingsParent));
  policies.policyIds = UpperNames(registry.ValueNames(Root::Users, prefix + kPolicyList));
  return userPolicies_.emplace(userKey, policies).first->second;
}

const AddonStateReader::MachinePolicies& AddonStateReader::PoliciesOfMachine(RegView view) {
  auto it = machinePolicies_.find(view);
  if (it != machinePolicies_.end()) return it->second;
  engine::RegistryView& registry = run_.Registry(view);
  MachinePolicies policies;
  policies.restrictToList = IsOne(ReadAsText(registry, Root::Machine, kPolicyExt, L"RestrictToList"));
  policies.noManagement = IsOne(ReadAsText(registry, Root::Machine, kRestrictions, L"NoExtensionManagement"));
  policies.policyIds = UpperNames(registry.ValueNames(Root::Machine, kPolicyList));
  return machinePolicies_.emplace(view, policies).first->second;
}

AddonStateFacts AddonStateReader::Read(const std::wstring& id, RegView view,
                                       const std::vector<std::wstring>& userKeys) {
  AddonStateFacts facts;
  const std::wstring upperId = text::AsciiUpper(id);
  const MachinePolicies& machine = PoliciesOfMachine(view);
  facts.machine.restrictToList = machine.restrictToList;
  facts.machine.noManagement = machine.noManagement;
  if (machine.policyIds.count(upperId))
    facts.machine.policy = ReadAsText(run_.Registry(view), Root::Machine, kPolicyList, id);
  engine::RegistryView& registry = run_.Registry();
  for (const auto& userKey : userKeys) {
    state::UserFacts user;
    user.hiveKey = userKey;
    user.name = run_.ScopeForUserKey(userKey);
    if (user.name.empty()) user.name = userKey;
    const std::wstring prefix = userKey + L"\\";
    const UserPolicies& policies = PoliciesOfUser(userKey);
    if (policies.settingsIds.count(upperId)) {
      const std::wstring settings = prefix + AddonSettingsPath(id);
      std::optional<std::wstring> version;
      std::wstring versionText;
      if (registry.ReadString(Root::Users, settings, L"Version", versionText)) version = versionText;
      user.markedOff = state::SettingsMarkOff(registry.ReadDword(Root::Users, settings, L"Flags"), version);
    }
    if (policies.policyIds.count(upperId)) user.policy = ReadAsText(registry, Root::Users, prefix + kPolicyList, id);
    user.allTurnedOff = policies.allTurnedOff;
    user.noManagement = policies.noManagement;
    facts.states.push_back(state::Decide(facts.machine, user));
    facts.users.push_back(std::move(user));
  }
  return facts;
}

std::vector<std::wstring> AddonStateReader::UsersOf(const engine::AddonEntry& entry) {
  if (entry.tree == engine::Tree::Users) {
    if (entry.ownerSid.empty()) return {};
    return {entry.ownerSid};
  }
  return LoadedUsers();
}

std::wstring AddonStateReader::StateText(const AddonKind& kind, const engine::AddonEntry& entry) {
  static const std::wstring notApplicable = LoadStr(IDS_STATE_NOT_APPLICABLE);
  if (!kind.stateById || !state::IsBraceGuid(entry.id)) return notApplicable;
  const AddonStateFacts facts = Read(entry.id, entry.view, UsersOf(entry));
  return state::SummaryText(facts.machine, facts.users, facts.states, StateTextsFromTable());
}

RegView AddonStateReader::ViewOfNumber(std::int32_t number) const {
  for (const RegView view : run_.Views())
    if (ViewNumber(view) == number) return view;
  return run_.Views().front();
}

std::wstring AddonStateReader::StateText(const AddonKind& kind, const CResultNode& record) {
  static const std::wstring notApplicable = LoadStr(IDS_STATE_NOT_APPLICABLE);
  if (!kind.stateById || !state::IsBraceGuid(record.ID)) return notApplicable;
  const CParam* view = record.params.Find(keys::kView);
  const AddonStateFacts facts = Read(record.ID, view ? ViewOfNumber(view->Number()) : run_.Views().front(),
                                     UsersOf(record));
  return state::SummaryText(facts.machine, facts.users, facts.states, StateTextsFromTable());
}

const state::StateTexts& StateTextsFromTable() {
  static const state::StateTexts texts{LoadStr(IDS_STATE_ON),          LoadStr(IDS_STATE_OFF_FOR),
                                       LoadStr(IDS_STATE_BLOCKED),     LoadStr(IDS_STATE_BLOCKED_FOR),
                                       LoadStr(IDS_STATE_ALLOWED),     LoadStr(IDS_STATE_ALLOWED_FOR),
                                       LoadStr(IDS_STATE_ALL_OFF_FOR), LoadStr(IDS_STATE_NAME_SEPARATOR),
                                       LoadStr(IDS_STATE_PART_SEPARATOR)};
  return texts;
}

}  // namespace discovery
