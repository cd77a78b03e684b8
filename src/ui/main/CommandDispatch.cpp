#include "ui/main/CommandDispatch.h"

#include "core/ErrorReport.h"
#include "ui/dialogs/AboutBox.h"
#include "core/QlmError.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/FormatText.h"
#include "ui/main/BackupCommands.h"
#include "ui/main/CommandTable.h"
#include "ui/main/ListCommands.h"
#include "ui/main/OfflineCommands.h"
#include "ui/main/CommandText.h"
#include "ui/main/CommandHost.h"
#include "ui/tables/ITableControl.h"
#include "ui/tables/ListedSystem.h"

namespace {
constexpr std::int32_t kObjectNotSet = errors::kObjectNotSet;
// Error texts handed up by a table: the system's choice of buttons (OK).
constexpr std::int32_t kButtonsDefault = 0;
}  // namespace

void CommandDispatch::Run(int commandId) noexcept {
  CatchAtEdge(L"FMain", L"OnCommand", kLevelError, [&] { Execute(commandId); });
}

ITableControl& CommandDispatch::CurrentTable() {
  ITableControl* table = host_.ShownTable();
  if (!table) throw QlmError(kObjectNotSet, L"FMain", L"Object variable or With block variable not set");
  return *table;
}

void CommandDispatch::Execute(int commandId) {
  using namespace Commands;
  if (ExecuteOnTable(commandId)) return;
  switch (commandId) {
    case kBackup:
      BackupCommands::WriteBackup(host_);
      break;
    case kRefresh:
    case kQuickRefresh:
      host_.RefreshTables();
      break;
    case kRestore:
      BackupCommands::OpenBackupsToRestore(host_);
      break;
    case kAbout:
      AboutBox::ShowModal(host_.OwnerWindow());
      break;
    case kSaveList:
      ListCommands::SaveList(host_);
      break;
    case kOpenOffline:
      OfflineCommands::OpenOfflineSystem(host_);
      break;
    case kBackToThisComputer:
      OfflineCommands::BackToThisComputer(host_);
      break;
    case kOpenInRegistryEditor:
    case kRowOpenInRegistryEditor:
      ListCommands::OpenInRegistryEditor(host_);
      break;
    case kExit:
      host_.RequestExit();
      break;
    default:
      // The application button and anything unknown.
      break;
  }
}

bool CommandDispatch::ExecuteOnTable(int commandId) {
  using namespace Commands;
  switch (commandId) {
    case kDelete:
    case kRowDelete:
      CurrentTable().Remove();
      return true;
    case kTurnOff:
    case kRowTurnOff:
    case kTurnOn:
    case kRowTurnOn:
      CurrentTable().ChangeState(commandId == kTurnOn || commandId == kRowTurnOn, host_.Data());
      return true;
    case kFileProperties:
    case kRowProperties:
    case kGoogleFileName:
    case kRowGoogleFileName: {
      // The file name first: asking for the error selects the first row
      // when none is, and the name must be the selected row's.
      ITableControl& table = CurrentTable();
      const std::wstring file = table.CurrentFullFileName();
      const std::wstring error = table.CurrentFullFileNameError();
      if (commandId == kFileProperties || commandId == kRowProperties)
        ShowFileProperties(file, error);
      else
        SearchGoogle(CommandText::FileNamePart(file), error);
      return true;
    }
    case kGoogleAddonName:
    case kRowGoogleAddonName:
      SearchGoogle(CurrentTable().CurrentObjectName(), std::wstring());
      return true;
    default:
      return false;
  }
}

void CommandDispatch::SearchGoogle(const std::wstring& name, const std::wstring& errorText) {
  const ProcedureName procedure(L"FMain", L"SearchGoogle");
  if (name.empty()) {
    if (!errorText.empty()) core::ShowMessage(errorText, kButtonsDefault, std::wstring());
    return;
  }
  host_.Shell().openAddress(CommandText::SearchAddress(name));
}

void CommandDispatch::ShowFileProperties(const std::wstring& fileName, const std::wstring& errorText) {
  const ProcedureName procedure(L"FMain", L"ShowFiledetails");
  if (fileName.empty()) {
    if (!errorText.empty()) core::ShowMessage(errorText, kButtonsDefault, std::wstring());
    return;
  }
  // Offline, the file in the image's folder; none when it is not there.
  const std::wstring local = host_.System().LocalPathOf(fileName);
  if (!local.empty() && CFileSystem::FileExists(local)) {
    host_.Shell().showFileProperties(local, host_.OwnerWindow());
  } else {
    core::ShowMessage(formattext::Format(LoadStr(IDS_FILE_NOT_FOUND), {fileName}), core::kButtonOK, std::wstring());
  }
}
