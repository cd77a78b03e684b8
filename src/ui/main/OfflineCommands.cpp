#include "ui/main/OfflineCommands.h"

#include <optional>
#include <string>

#include "core/ErrorReport.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "engine/offline/OfflineReportText.h"
#include "engine/text/VisibleText.h"
#include "ozcore/FormatText.h"
#include "ui/main/CommandHost.h"
#include "ui/tables/ListedSystem.h"

namespace OfflineCommands {
namespace {

using discovery::text::VisibleText;

// The report's lines are qmscan's: here they go without its name and
// line ends, one paragraph each.
std::wstring HivesReadText(const engine::OfflineReport& report) {
  std::wstring text;
  for (std::wstring line : engine::OfflineReportLines(report, &LoadStr)) {
    constexpr wchar_t kPrefix[] = L"qmscan: ";
    if (line.rfind(kPrefix, 0) == 0) line.erase(0, std::size(kPrefix) - 1);
    while (!line.empty() && line.back() == L'\n') line.pop_back();
    if (!line.empty()) line[0] = static_cast<wchar_t>(towupper(line[0]));
    text += (text.empty() ? L"" : L"\n\n") + line;
  }
  return text;
}

}  // namespace

void OpenOfflineSystem(CommandHost& host) {
  const ProcedureName procedure(L"FMain", L"OpenOfflineSystem");
  if (!host.Shell().chooseFolder) return;
  const std::optional<std::wstring> root = host.Shell().chooseFolder(LoadStr(IDS_OFFLINE_PICK_TITLE), host.OwnerWindow());
  if (!root) return;
  const std::wstring title = LoadStr(IDS_OFFLINE_TITLE);
  ListedSystem::OpenOutcome outcome;
  {
    BusyPointer busy(host);
    outcome = host.System().OpenOffline(*root);
    if (outcome == ListedSystem::OpenOutcome::Opened) {
      LogInformation(formattext::Format(LoadStr(IDS_LOG_OPENED_OFFLINE), {VisibleText(*root)}),
                     L"FMain.OpenOfflineSystem");
      host.SystemChanged();
    }
  }
  switch (outcome) {
    case ListedSystem::OpenOutcome::NoFolder:
      core::ShowMessage(formattext::Format(LoadStr(IDS_OFFLINE_NO_FOLDER), {VisibleText(*root)}), core::kButtonOK,
                        title);
      return;
    case ListedSystem::OpenOutcome::NoSoftwareHive:
      core::ShowMessage(formattext::Format(LoadStr(IDS_OFFLINE_NO_SYSTEM), {VisibleText(*root)}), core::kButtonOK,
                        title);
      return;
    case ListedSystem::OpenOutcome::Opened:
      break;
  }
  // Said once, when the system is opened; the status bar keeps saying it.
  const std::wstring hives = HivesReadText(*host.System().Report());
  if (!hives.empty())
    core::ShowMessage(formattext::Format(LoadStr(IDS_OFFLINE_HIVES_READ), {hives}), core::kButtonOK, title);
}

void BackToThisComputer(CommandHost& host) {
  const ProcedureName procedure(L"FMain", L"BackToThisComputer");
  if (!host.System().Offline()) return;
  BusyPointer busy(host);
  host.System().ShowThisComputer();
  LogInformation(LoadStr(IDS_LOG_BACK_TO_COMPUTER), L"FMain.BackToThisComputer");
  host.SystemChanged();
}

}  // namespace OfflineCommands
