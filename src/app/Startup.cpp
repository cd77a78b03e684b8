#include "app/Startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <optional>
#include <vector>

#include "core/ProgramResources.h"
#include "app/Components.h"
#include "app/DelayLoadGuard.h"
#include "core/DllSearch.h"
#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/ProcessState.h"
#include "app/Elevation.h"
#include "core/QlmError.h"
#include "core/RedirectionTrust.h"
#include "app/StartupSeams.h"
#include "app/StartupText.h"
#include "core/Strings.h"
#include "ozcore/CErrorLog.h"
#include "ozcore/CUtilities.h"

namespace Startup {
namespace {

const wchar_t kContext[] = L"MQLM.Main";

// Runs each step; a step that fails is skipped, and its error is kept as
// the pending one until cleared.
class ResumeNext {
 public:
  template <typename Step>
  void operator()(Step&& step) noexcept {
    try {
      step();
    } catch (...) {
      try {
        pending_ = CurrentError();
      } catch (...) {
        pending_ = ErrorInfo{51, L"Internal error"};
      }
    }
  }
  const std::optional<ErrorInfo>& Pending() const { return pending_; }
  void Clear() { pending_.reset(); }

 private:
  std::optional<ErrorInfo> pending_;
};

// The logger, or the error a call through a missing object raises.
CErrorLog& Log() {
  if (!core::gLog) throw QlmError(errors::kObjectNotSet, L"MQLM", L"Object variable or With block variable not set");
  return *core::gLog;
}

// Lets pending window events run.
void DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ShowComponentMessage(const std::wstring& message) {
  // No window of ours exists yet: the standard message box, no icon.
  MessageBoxW(nullptr, message.c_str(), LoadStr(IDS_PRODUCT_NAME).c_str(), MB_OK);
}

class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

// What the start found before its log was open: the process could not
// refuse untrusted links, the data folder could not be given to the
// administrators, a log that is a link was not opened (said in the other).
void LogStartNotes(CErrorLog& log, const core::PlaceOutcome& dataFolder, std::uint32_t redirectionTrust) {
  if (redirectionTrust != 0)
    log.LogMessage(0,
                   CUtilities::FormatString(LoadStr(IDS_LOG_NO_REDIRECTION_TRUST),
                                            {CUtilities::SystemMessage(redirectionTrust)}),
                   kLevelInformation, kContext);
  if (!dataFolder.note.empty()) log.LogMessage(0, dataFolder.note, kLevelDiscovery, kContext);
  for (const PlaceCheck& check : {log.FullLogProblem(), log.ShortLogProblem()})
    if (check.problem == PlaceProblem::Link || check.problem == PlaceProblem::HardLinked)
      log.LogMessage(0, CUtilities::FormatString(LoadStr(IDS_REFUSED_LINK), {check.place}), kLevelDiscovery, kContext);
}

}  // namespace

StartupParts RealStartupParts() {
  StartupParts parts;
  parts.programFolder = ProgramResources::ProgramFolder();
  parts.dataFolderParent = [] { return CUtilities::AppDataFolder(); };
  parts.checkPrivileges = &Elevation::CheckPrivileges;
  parts.showComponentMessage = &ShowComponentMessage;
  parts.showSplash = &ShowSplash;
  parts.splashVisible = &SplashVisible;
  parts.dropSplash = &DropSplash;
  parts.createProcessObjects = &CreateProcessObjects;
  parts.showMainWindow = &ShowMainWindow;
  parts.releaseProcessObjects = &ReleaseProcessObjects;
  return parts;
}

int RunStartup(const StartupParts& parts) {
  ResumeNext step;
  // First of all: links that non-administrators made are not followed.
  std::uint32_t redirectionTrust = 0;
  step([&] { redirectionTrust = core::TrustOnlyAdministratorLinks(); });
  ComponentLoader components(parts.programFolder);
  core::PlaceOutcome dataFolderOutcome;
  std::unique_ptr<CErrorLog> ownLog;
  ProcessSetup setup;
  const std::wstring& dataFolder = setup.data.path;

  // The library's calls are made only once it is known to be there; when it
  // is missing, they are skipped as failing steps would be, and the
  // component check below reports it.
  if (components.LoadOzCore()) {
    step([&] { setup.data.path = parts.dataFolderParent() + L"Quillmoor"; });
    step([&] {
      setup.data.elevated = core::RunsAsAdministrator();
      dataFolderOutcome = core::PrepareDataFolder(setup.data);
    });
    step([&] {
      ownLog = std::make_unique<CErrorLog>();
      core::gLog = ownLog.get();
      // Not a byte into a data folder that was refused or is not there.
      if (dataFolderOutcome.kind == core::PlaceOutcome::Kind::Used)
        Log().OpenLogFiles(dataFolder + L"\\QLM.log", dataFolder + L"\\short.log");
    });
    step([&] { Log().LogMessage(0, L"********** start app", kLevelInformation, kContext); });
    step([&] {
      int major = 0, minor = 0, revision = 0;
      if (!ProgramResources::ProgramVersion(major, minor, revision)) throw QlmError(-1, L"MQLM", L"No version resource");
      Log().LogMessage(0, VersionRecordText(LoadStr(IDS_PRODUCT_NAME), major, minor, revision), kLevelInformation,
                       kContext);
    });
    step([&] {
      std::int32_t major = 0, minor = 0, build = 0, platformId = 0;
      std::wstring servicePack;
      Log().LogMessage(0, L"Windows: " + CUtilities::GetWindowsVersion(major, minor, build, platformId, servicePack),
                       kLevelInformation, kContext);
    });
    step([&] { LogStartNotes(Log(), dataFolderOutcome, redirectionTrust); });

    Elevation::PrivilegeDecision decision = Elevation::PrivilegeDecision::Continue;
    step([&] { decision = parts.checkPrivileges(); });
    if (decision != Elevation::PrivilegeDecision::Continue) {
      core::gLog = nullptr;
      return decision == Elevation::PrivilegeDecision::Refuse ? kExitRefused : kExitNormal;
    }
  }

  // The custom component may hand back a logger of its own.
  step([&] {
    if (CustomObject custom = components.CreateCustom(L"QLMCustom.CCustom2")) {
      CErrorLog* log = core::gLog;
      custom->Init(log);
      core::gLog = log;
    }
  });

  step.Clear();
  std::wstring message;
  if (!CheckComponents(components, message)) {
    step([&] { parts.showComponentMessage(message); });
    LogRecord(0, message, kLevelDiscovery, kContext);
    core::gLog = nullptr;
    return kExitRefused;
  }

  step([&] { parts.showSplash(); });
  step([&] { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); });
  step([&] { DoEvents(); });
  step([&] { DoEvents(); });

  step([&] {
    const DWORD version = GetVersion();
    const bool isNT = (version & 0x80000000u) == 0;
    setup.data.unicodeFiles = isNT;
    setup.longFileNames = isNT && LOBYTE(LOWORD(version)) != 4;
  });

  step([&] { parts.createProcessObjects(setup); });

  if (step.Pending()) LogError(*step.Pending(), kLevelError, kContext);
  step.Clear();

  for (bool splashUp = true; splashUp;) {
    splashUp = false;  // a failing test counts as closed
    step([&] { splashUp = parts.splashVisible(); });
    if (splashUp) {
      step([&] { DoEvents(); });
      // Wakes for the next event, or soon after to test again, so a splash
      // that closes without posting anything is not waited on for ever.
      step([&] { MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE); });
    }
  }
  step([&] { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); });
  step([&] { parts.dropSplash(); });

  step([&] { parts.showMainWindow(); });

  step([&] { parts.releaseProcessObjects(); });
  core::gLog = nullptr;
  return kExitNormal;
}

int Main(const StartupParts& parts) {
  dllsearch::RestrictDllSearch();
  InstallDelayLoadGuard();
  ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return RunStartup(parts);
}

}  // namespace Startup
