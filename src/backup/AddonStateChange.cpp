#include "backup/AddonStateChange.h"

#include "StringIds.h"
#include "backup/RegistryBackup.h"
#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/live/LiveMachine.h"
#include "engine/files/FileResolver.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/FormatText.h"
#include "ozcore/PathText.h"

namespace addonstate {

namespace {
constexpr const wchar_t* kContext = L"AddonState.ChangeState";

std::wstring SettingsKey(const std::wstring& userKey, const std::wstring& id) {
  return userKey + L"\\" + discovery::AddonSettingsPath(id);
}

// "Add-on state <time>" for a file beside the backups: the backup's name
// for the time, without "Backup " and ".reg".
std::wstring StateFileStem() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::wstring backupName = pathtext::FileNamePart(RegistryBackup::BackupFileName(L"x", now));
  const std::size_t prefix = std::wstring(L"Backup ").size();
  return L"Add-on state " + backupName.substr(prefix, backupName.size() - prefix - 4);
}

// Saves the keys as "Add-on state <time>.reg" (numbered when one of that
// second exists); false (logged) when the file would not put them back
// whole or could not be written. refusal: the text for the user when a link
// or a changed owner refused the folder.
bool SaveSettings(const core::DataFolder& data, const std::wstring& id, const std::vector<std::wstring>& users,
                  std::wstring& path, std::wstring& refusal) {
  std::vector<RegOmission> omitted;
  const std::wstring text = SettingsBackupText(id, users, data.unicodeFiles, omitted);
  if (!omitted.empty()) {
    // Merging would remove what the file cannot give back.
    for (const auto& omission : omitted)
      LogRecord(0, RegistryBackup::OmissionText(omission), kLevelDiscovery, kContext);
    return false;
  }
  const core::PlaceFiles folder(data, core::DataPlace::Backup, true);
  const std::string bytes =
      CFileSystem::EncodeText(text, data.unicodeFiles ? TextEncoding::Utf16LeBom : TextEncoding::Ansi);
  const std::wstring stem = StateFileStem();
  const core::WriteResult result = folder.WriteNew(stem, L".reg", bytes);
  if (!result.written) {
    if (result.outcome.Refused()) refusal = result.outcome.text;
    LogRecord(0, L"The settings could not be saved to " + (result.path.empty() ? data.BackupFolder() : result.path) +
                     L": " + result.outcome.text,
              kLevelDiscovery, kContext);
    return false;
  }
  path = result.path;
  return true;
}

// The first key from the user's "Software" down to key that does not
// exist; empty when key exists.
std::wstring FirstMissingKey(CRegistry& registry, const std::wstring& user, const std::wstring& key) {
  std::size_t end = user.size() + std::wstring(L"\\Software").size();
  for (;;) {
    const std::wstring part = key.substr(0, end);
    if (!registry.KeyExists(HKEY_USERS, part)) return part;
    if (end >= key.size()) return {};
    end = key.find(L'\\', end + 1);
    if (end == std::wstring::npos) end = key.size();
  }
}

bool Apply(CRegistry& registry, const std::wstring& key, Change change) {
  if (change == Change::TurnOff)
    return registry.WriteDWORD(HKEY_USERS, key, L"Flags", 1) && registry.WriteString(HKEY_USERS, key, L"Version", L"*");
  // The key goes only when neither it nor anything on its way is a link,
  // so that the key removed is the one named.
  std::wstring error;
  return registry.DeleteKeyWithoutLinks(HKEY_USERS, key, error);
}
}  // namespace

bool IsPlainUserKey(const std::wstring& key) {
  if (key.size() == 8 && CompareStringOrdinal(key.c_str(), 8, L".DEFAULT", 8, TRUE) == CSTR_EQUAL) return true;
  if (key.size() < 3 || key.size() > 200 || key[0] != L'S' || key[1] != L'-') return false;
  for (std::size_t i = 2; i < key.size(); ++i)
    if (!(key[i] == L'-' || (key[i] >= L'0' && key[i] <= L'9'))) return false;
  return true;
}

std::wstring SettingsBackupText(const std::wstring& id, const std::vector<std::wstring>& userKeys, bool unicodeFile,
                                std::vector<RegOmission>& omitted) {
  std::wstring text = unicodeFile ? L"Windows Registry Editor Version 5.00\r\n" : L"REGEDIT4\r\n";
  CRegistry registry;
  for (const auto& user : userKeys) {
    const std::wstring key = SettingsKey(user, id);
    // Names checked by the caller: the user key is plain, the id a class
    // id. The first key on the way that is missing is made by the change:
    // merging removes it again.
    const std::wstring missing = FirstMissingKey(registry, user, key);
    text += L"\r\n[-HKEY_USERS\\" + (missing.empty() ? key : missing) + L"]\r\n";
    if (missing.empty()) text += registry.ExportKeyText(HKEY_USERS, key, !unicodeFile, &omitted);
  }
  return text;
}

Result ChangeState(const core::DataFolder& data, const std::wstring& id, RegView view,
                   const std::vector<std::wstring>& userKeys, Change change) {
  Result result;
  Guarded(kContext, kLevelDiscovery, [&] {
    if (!discovery::state::IsBraceGuid(id) || userKeys.empty()) return;
    for (const auto& user : userKeys)
      if (!IsPlainUserKey(user)) return;

    FileResolver files(true);
    engine::LiveMachine machine(files);
    discovery::DiscoveryRun run(machine.Sources());
    discovery::AddonStateReader reader(run);
    const discovery::AddonStateFacts facts = reader.Read(id, view, userKeys);
    std::vector<std::wstring> targets;
    for (std::size_t i = 0; i < facts.states.size(); ++i) {
      const auto& state = facts.states[i];
      if (state.heldByPolicy) {
        result.outcome = Outcome::HeldByPolicy;
        return;
      }
      if (state.noManagement) {
        result.outcome = Outcome::NoManagement;
        return;
      }
      if (state.markedOff == (change == Change::TurnOn)) targets.push_back(facts.users[i].hiveKey);
    }
    if (targets.empty()) {
      result.outcome = Outcome::NothingToDo;
      return;
    }
    if (!SaveSettings(data, id, targets, result.backupPath, result.refusal)) {
      result.outcome = Outcome::BackupFailed;
      return;
    }
    CRegistry registry;
    for (const auto& user : targets) {
      if (!Apply(registry, SettingsKey(user, id), change)) {
        LogRecord(0, L"The settings of add-on " + id + L" could not be changed for user " + user, kLevelDiscovery,
                  kContext);
        result.outcome = Outcome::WriteFailed;
        return;
      }
      ++result.usersChanged;
    }
    result.outcome = Outcome::Done;
    const unsigned logText = change == Change::TurnOff ? IDS_LOG_TURNED_OFF : IDS_LOG_TURNED_ON;
    LogRecord(0, formattext::Format(LoadStr(logText), {id, std::to_wstring(result.usersChanged), result.backupPath}),
              kLevelInformation, kContext);
  });
  if (result.outcome == Outcome::NotApplicable && !result.backupPath.empty()) result.outcome = Outcome::WriteFailed;
  return result;
}

}  // namespace addonstate
