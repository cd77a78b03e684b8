#include "ui/main/ListCommands.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/Messages.h"
#include "core/ProgramResources.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "engine/text/VisibleText.h"
#include "inventory/HtmlReport.h"
#include "inventory/InventoryText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"
#include "ui/main/CommandHost.h"
#include "ui/main/ListText.h"
#include "ui/tables/ListedSystem.h"
#include "ui/tables/TableControlBase.h"

namespace ListCommands {
namespace {

constexpr wchar_t kRegeditKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

std::wstring CsvText(CommandHost& host) {
  std::vector<inventory::KindRecord> records;
  for (TableControlBase* table : host.Lists())
    for (const CResultNode* record : table->ShownRecords()) records.push_back({table->Kind().scanName, record});
  // A byte-order mark, so that spreadsheets read the file as UTF-8.
  return L"\uFEFF" + inventory::CsvDocument(records);
}

std::wstring MachineName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 64] = {};
  DWORD size = static_cast<DWORD>(std::size(name));
  return GetComputerNameExW(ComputerNameDnsHostname, name, &size) ? std::wstring(name, size) : std::wstring();
}

std::wstring NowText() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t date[128] = {}, time[128] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, &now, nullptr, date, 128, nullptr);
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}

std::wstring HtmlText(CommandHost& host) {
  std::vector<inventory::ReportTable> tables;
  for (TableControlBase* table : host.Lists())
    tables.push_back({LoadStr(table->Kind().caption), table->ShownColumnCaptions(), table->ShownRowCells()});
  int major = 0, minor = 0, revision = 0;
  const std::wstring version = ProgramResources::ProgramVersion(major, minor, revision)
                                   ? std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
                                         std::to_wstring(revision)
                                   : std::wstring();
  // Offline, the system listed is the one in the folder, not this machine.
  const std::wstring system = host.System().Offline()
                                  ? formattext::Format(LoadStr(IDS_OFFLINE_SHOWN),
                                                       {discovery::text::VisibleText(host.System().Root())})
                                  : MachineName();
  return inventory::HtmlReport(LoadStr(IDS_REPORT_TITLE), system, NowText(), version, tables);
}

}  // namespace

void SaveList(CommandHost& host) {
  const ProcedureName procedure(L"FMain", L"SaveList");
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const std::wstring suggested =
      listtext::SuggestedListName(LoadStr(IDS_SAVE_LIST_NAME), today.wYear, today.wMonth, today.wDay);
  if (!host.Shell().chooseSaveFile) return;
  const std::optional<SaveChoice> choice = host.Shell().chooseSaveFile(suggested, host.OwnerWindow());
  if (!choice) return;
  const std::wstring text = choice->html ? HtmlText(host) : CsvText(host);
  // Inside the data folder through its checked chain; a link at the name
  // is replaced, never written through.
  const core::WriteResult written =
      core::WriteChosenFile(host.Data(), choice->path, CFileSystem::EncodeText(text, TextEncoding::Utf8));
  if (!written.written) {
    const std::wstring message = written.outcome.Refused() ? written.outcome.text
                                                           : formattext::Format(LoadStr(IDS_SAVE_LIST_FAILED),
                                                                                {choice->path, written.outcome.text});
    if (written.outcome.Refused()) LogRecord(0, message, kLevelDiscovery, L"FMain.SaveList");
    core::ShowMessage(message, core::kButtonOK, LoadStr(IDS_SAVE_LIST_TITLE));
    return;
  }
  LogInformation(formattext::Format(LoadStr(IDS_LOG_SAVED_LIST), {choice->path}), L"FMain.SaveList");
}

void OpenInRegistryEditor(CommandHost& host) {
  const ProcedureName procedure(L"FMain", L"OpenInRegistryEditor");
  ITableControl* table = host.ShownTable();
  if (!table) return;
  if (host.System().Offline()) {
    core::ShowMessage(LoadStr(IDS_OFFLINE_NO_REGISTRY_EDITOR), core::kButtonOK, std::wstring());
    return;
  }
  const EntryKey key = table->SelectedEntryKey();
  if (!key.root) return;
  const std::wstring shown = listtext::RegistryEditorKey(CRegistry::RootName(key.root), key.path,
                                                         key.view32 && key.root == HKEY_LOCAL_MACHINE);
  // The editor reads its last key up to the first NUL: it would open
  // another key than this one.
  if (shown.find(L'\0') != std::wstring::npos) {
    const std::wstring visible = discovery::text::VisibleText(shown);
    LogRecord(0, formattext::Format(LoadStr(IDS_LOG_REGEDIT_KEY_NOT_OPENABLE), {visible}), kLevelDiscovery,
              L"FMain.OpenInRegistryEditor");
    core::ShowMessage(LoadStr(IDS_REGEDIT_KEY_NOT_OPENABLE), core::kButtonOK, std::wstring());
    return;
  }
  CRegistry registry;
  if (!registry.WriteString(HKEY_CURRENT_USER, kRegeditKey, L"LastKey", shown))
    throw QlmError(-1, L"FMain", L"The registry editor's last key could not be set");
  try {
    host.Shell().startRegistryEditor();
  } catch (const QlmError& error) {
    core::ShowMessage(formattext::Format(LoadStr(IDS_REGEDIT_FAILED), {error.Description()}), core::kButtonOK,
                      std::wstring());
    throw;
  }
  LogInformation(formattext::Format(LoadStr(IDS_LOG_OPENED_REGEDIT), {discovery::text::VisibleText(shown)}),
                 L"FMain.OpenInRegistryEditor");
}

}  // namespace ListCommands
