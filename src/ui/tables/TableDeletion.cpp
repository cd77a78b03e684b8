// TableControlBase: deleting the selected add-on's entry, and turning it
// off or on.
#include "ui/tables/TableControlBase.h"

#include "backup/DeletionExecutor.h"
#include "engine/live/LiveDeletion.h"

#include "core/ErrorReport.h"
#include "core/Messages.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"
#include "ui/tables/FlagScope.h"
#include "ui/tables/ListedSystem.h"
#include "ui/tables/StateCommand.h"
#include "engine/kinds/AddonStateReader.h"
#include "engine/sources/AccountNames.h"
#include "engine/sources/LiveRegistry.h"

namespace {
// An entry of a user whose hive is not loaded now (it was read from their
// profile's file) cannot be changed: says so and answers true.
bool SaidOwnerNotSignedIn(const CResultNode& record, const std::wstring& title) {
  const std::wstring sid = discovery::AddonStateReader::OwnUserOf(record);
  if (sid.empty() || engine::LiveRegistry().KeyExists(engine::Tree::Users, sid)) return false;
  std::wstring domain, account;
  AccountNames::SidToAccountName(sid.substr(0, sid.find(L'_')), domain, account);
  core::ShowMessage(formattext::Format(LoadStr(IDS_USER_NOT_SIGNED_IN_CHANGE), {account.empty() ? sid : account}),
                    core::kButtonOK, title);
  return true;
}
// Nothing in an offline system is changed: an entry read from one (or any
// entry while one is shown) says so and answers true.
bool SaidOfflineSystem(const ListedSystem& system, const CResultNode* record, const std::wstring& title) {
  if (!system.Offline() && !(record && record->params.Text(discovery::keys::kSource) == L"offline")) return false;
  core::ShowMessage(LoadStr(IDS_OFFLINE_NOTHING_CHANGED), core::kButtonOK, title);
  return true;
}
}  // namespace

void TableControlBase::Remove() {
  if (removing_) return;
  FlagScope busy(removing_);
  const ProcedureName procedure(kind_.typeName, L"ITableControl_Remove");
  if (SaidOfflineSystem(system_, nullptr, LoadStr(kind_.deleteTitle))) return;
  if (NoRecordShown()) return;
  const int row = SelectedRow();
  if (row < 0) return;
  // Held across the dialog, so the record outlives anything that happens
  // to the rows meanwhile.
  const std::shared_ptr<CResultNode> record = SharedRecordAt(row);
  if (SaidOfflineSystem(system_, record.get(), LoadStr(kind_.deleteTitle))) return;
  if (!record)
    throw QlmError(kNoRecordOnRow, Context(L"ITableControl_Remove"), L"Object variable or With block variable not set");
  if (SaidOwnerNotSignedIn(*record, LoadStr(kind_.deleteTitle))) return;
  const std::wstring name = ObjectName(*record, RowText(row));
  switch (AskBeforeDeleting(*record, name)) {
    case DeleteAnswer::Keep:
      return;
    case DeleteAnswer::TurnOff:
      if (tables::TurnOffWithoutAsking(kind_, *record, name, *data_)) RefreshList();
      return;
    case DeleteAnswer::Delete:
      DeleteAndSay(*record, name);
      RefreshList();
      return;
  }
}

TableControlBase::DeleteAnswer TableControlBase::AskBeforeDeleting(const CResultNode& record,
                                                                   const std::wstring& name) const {
  const std::wstring title = LoadStr(kind_.deleteTitle);
  // Where the browser can turn the add-on off, that is offered too: unlike
  // deleting, it can be undone.
  if (data_ && tables::StateApplies(kind_, record)) {
    const core::Choice choice = core::AskChoice(ConfirmationText(record, name) + tables::ForYouLine(record), title,
                                                {LoadStr(IDS_DELETE_OR_TURN_OFF)}, core::kButtonYes | core::kButtonNo);
    if (choice.index == 0) return DeleteAnswer::TurnOff;
    return choice.button == core::kButtonYes ? DeleteAnswer::Delete : DeleteAnswer::Keep;
  }
  return core::ShowMessage(ConfirmationText(record, name), core::kButtonYes | core::kButtonNo, title) ==
                 core::kButtonYes
             ? DeleteAnswer::Delete
             : DeleteAnswer::Keep;
}

void TableControlBase::DeleteAndSay(const CResultNode& record, const std::wstring& name) {
  const std::wstring title = LoadStr(kind_.deleteTitle);
  const DeleteOutcome outcome = DeleteEntry(record);
  if (outcome.deleted) {
    core::ShowMessage(formattext::Format(LoadStr(IDS_DELETED), {name}), core::kButtonOK, title);
    return;
  }
  if (const unsigned logText = FailureLogText())
    LogRecord(0, formattext::Format(LoadStr(logText), {name}) + outcome.reason, kLevelInformation,
              Context(L"ITableControl_Remove"));
  core::ShowMessage(formattext::Format(LoadStr(IDS_CANNOT_DELETE), {name}) + outcome.reason, core::kButtonOK, title);
}

void TableControlBase::ChangeState(bool turnOn, const core::DataFolder& data) {
  if (removing_) return;
  FlagScope busy(removing_);
  data_ = data;
  const ProcedureName procedure(kind_.typeName, L"ChangeState");
  if (SaidOfflineSystem(system_, nullptr, LoadStr(IDS_TURN_TITLE))) return;
  const int row = NoRecordShown() ? -1 : SelectedRow();
  const std::shared_ptr<CResultNode> record = row < 0 ? nullptr : SharedRecordAt(row);
  if (!record) {
    core::ShowMessage(LoadStr(IDS_TURN_NO_SELECTION), core::kButtonOK, LoadStr(IDS_TURN_TITLE));
    return;
  }
  if (SaidOfflineSystem(system_, record.get(), LoadStr(IDS_TURN_TITLE)) ||
      SaidOwnerNotSignedIn(*record, LoadStr(IDS_TURN_TITLE)))
    return;
  const std::wstring name = ObjectName(*record, RowText(row));
  const auto change = turnOn ? addonstate::Change::TurnOn : addonstate::Change::TurnOff;
  if (tables::ChangeAddonState(kind_, *record, name, change, data)) RefreshList();
}

TableControlBase::DeleteOutcome TableControlBase::DeleteEntry(const CResultNode& record) const {
  // The entry goes from its own registry view only: the same add-on in the
  // other view is another entry.
  const backup::DeletionOutcome done = backup::CarryOut(discovery::PlanLiveDeletion(kind_, record));
  return {done.deleted, done.reason};
}
