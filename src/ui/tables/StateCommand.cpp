#include "ui/tables/StateCommand.h"

#include "StringIds.h"
#include "engine/sources/AccountNames.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/kinds/RecordRoots.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/kinds/DiscoveryRun.h"
#include "engine/live/LiveMachine.h"
#include "engine/files/FileResolver.h"
#include "engine/text/VisibleText.h"
#include "ozcore/FormatText.h"

namespace tables {

namespace {

using addonstate::Change;
using addonstate::Outcome;

std::vector<std::wstring> EverySignedInUser() {
  FileResolver files(true);
  engine::LiveMachine machine(files);
  discovery::DiscoveryRun run(machine.Sources());
  discovery::AddonStateReader reader(run);
  return reader.LoadedUsers();
}

bool Report(const addonstate::Result& result, const std::wstring& name) {
  const std::wstring title = LoadStr(IDS_TURN_TITLE);
  auto say = [&](unsigned id) { core::ShowMessage(formattext::Format(LoadStr(id), {name}), core::kButtonOK, title); };
  switch (result.outcome) {
    case Outcome::Done: return true;
    case Outcome::NothingToDo: say(IDS_TURN_NOTHING_TO_DO); return false;
    case Outcome::HeldByPolicy: say(IDS_TURN_HELD_BY_POLICY); return false;
    case Outcome::NoManagement: say(IDS_TURN_NO_MANAGEMENT); return false;
    case Outcome::BackupFailed:
      if (!result.refusal.empty())
        core::ShowMessage(result.refusal + L"\n\n" + LoadStr(IDS_TURN_BACKUP_FAILED), core::kButtonOK, title);
      else
        say(IDS_TURN_BACKUP_FAILED);
      return false;
    case Outcome::NotApplicable: say(IDS_TURN_NO_USER); return false;
    case Outcome::WriteFailed: say(IDS_TURN_FAILED); return true;
  }
  return false;
}

// The session user's account as the messages name it.
std::wstring SessionUserName(const std::wstring& sid) {
  std::wstring domain, account;
  AccountNames::SidToAccountName(sid, domain, account);
  if (account.empty()) return sid;
  return discovery::text::VisibleText(domain.empty() ? account : domain + L"\\" + account);
}

}  // namespace

std::wstring ForYouLine(const CResultNode& record) {
  if (!discovery::AddonStateReader::OwnUserOf(record).empty()) return {};
  return L"\n\n" + formattext::Format(LoadStr(IDS_TURN_SETTINGS_OF), {SessionUserName(AccountNames::SessionUserSid())});
}

bool StateApplies(const discovery::AddonKind& kind, const CResultNode& record) {
  return kind.stateById && discovery::state::IsBraceGuid(record.ID);
}

bool ChangeAddonState(const discovery::AddonKind& kind, const CResultNode& record, const std::wstring& name,
                      Change change, const core::DataFolder& data) {
  const std::wstring title = LoadStr(IDS_TURN_TITLE);
  if (!StateApplies(kind, record)) {
    core::ShowMessage(LoadStr(IDS_TURN_NOT_APPLICABLE), core::kButtonOK, title);
    return false;
  }
  const std::wstring question =
      formattext::Format(LoadStr(change == Change::TurnOff ? IDS_TURN_OFF_ASK : IDS_TURN_ON_ASK), {name}) +
      ForYouLine(record);
  std::vector<std::wstring> users;
  const std::wstring own = discovery::AddonStateReader::OwnUserOf(record);
  if (!own.empty()) {
    // An entry in one user's hive is that user's alone.
    if (core::ShowMessage(question, core::kButtonYes | core::kButtonNo, title) != core::kButtonYes) return false;
    users = {own};
  } else {
    // A machine entry: the user signed in to the session, unless he picks
    // every signed-in user.
    const core::Choice choice =
        core::AskChoice(question, title, {LoadStr(IDS_TURN_FOR_ME), LoadStr(IDS_TURN_FOR_EVERYONE)});
    if (choice.index == 0)
      users = {AccountNames::SessionUserSid()};
    else if (choice.index == 1)
      users = EverySignedInUser();
    else
      return false;
  }
  return Report(addonstate::ChangeState(data, record.ID, discovery::ViewOfRecord(record), users, change), name);
}

bool TurnOffWithoutAsking(const discovery::AddonKind& kind, const CResultNode& record, const std::wstring& name,
                          const core::DataFolder& data) {
  if (!StateApplies(kind, record)) return false;
  const std::wstring own = discovery::AddonStateReader::OwnUserOf(record);
  const std::vector<std::wstring> users = {own.empty() ? AccountNames::SessionUserSid() : own};
  return Report(addonstate::ChangeState(data, record.ID, discovery::ViewOfRecord(record), users, Change::TurnOff),
                name);
}

}  // namespace tables
