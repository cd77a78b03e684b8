#include "ui/main/BackupCommands.h"

#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "backup/RegistryBackup.h"
#include "engine/text/VisibleText.h"
#include "ozcore/FormatText.h"
#include "ui/main/CommandHost.h"

namespace BackupCommands {
namespace {

// Says which backups must not be merged: in an administrator's run, those
// changed since the program wrote them and those it never wrote. False when
// the folder was refused (a link, another owner), which the user is told.
bool CheckBeforeRestore(const core::DataFolder& data) {
  const core::PlaceFiles folder(data, core::DataPlace::Backup, false);
  if (folder.Outcome().Refused()) {
    LogRecord(0, folder.Outcome().text, kLevelDiscovery, L"FMain.MenuRestore");
    core::ShowMessage(folder.Outcome().text, core::kButtonOK, std::wstring());
    return false;
  }
  std::wstring names;
  for (const auto& name : folder.ChangedFiles(L".reg")) names += L"\n" + discovery::text::VisibleText(name);
  if (!names.empty())
    core::ShowMessage(formattext::Format(LoadStr(IDS_RESTORE_CHANGED), {names}), core::kButtonOK, std::wstring());
  return true;
}

}  // namespace

void WriteBackup(CommandHost& host) {
  const ProcedureName procedure(L"FMain", L"MenuBackup");
  bool written = false;
  std::size_t leftOut = 0;
  std::wstring path, refusal;
  {
    BusyPointer busy(host);
    written = RegistryBackup::BackupRegistry(host.Data(), &path, &leftOut, &refusal);
  }
  if (written) host.BackupWritten(path);
  // A backup that wrote nothing is never reported as done, nor one that
  // left entries out as complete.
  std::wstring text = refusal.empty() ? LoadStr(IDS_BACKUP_FAILED) : refusal;
  if (written && leftOut > 0)
    text = formattext::Format(LoadStr(IDS_BACKUP_INCOMPLETE), {std::to_wstring(leftOut)});
  else if (written)
    text = LoadStr(IDS_BACKUP_DONE);
  core::ShowMessage(text, core::kButtonOK, std::wstring());
}

void OpenBackupsToRestore(CommandHost& host) {
  const ProcedureName procedure(L"FMain", L"MenuRestore");
  if (!CheckBeforeRestore(host.Data())) return;
  core::ShowMessage(LoadStr(IDS_RESTORE_HINT), core::kButtonOK, std::wstring());
  host.Shell().openFolder(host.Data().BackupFolder() + L"\\", host.OwnerWindow());
}

}  // namespace BackupCommands
