#include "app/Startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "core/ProgramResources.h"
#include "app/Components.h"
#include "app/DelayLoadGuard.h"
#include "core/DllSearch.h"
#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/ProgramLog.h"
#include "app/Elevation.h"
#include "core/QlmError.h"
#include "core/RedirectionTrust.h"
#include "app/StartupSeams.h"
#include "app/StartupText.h"
#include "core/Strings.h"
#include "ozcore/CErrorLog.h"
#include "ozcore/FormatText.h"
#include "ozcore/SystemFolders.h"
#include "ozcore/SystemMessage.h"
#include "ozcore/WindowsVersion.h"

namespace Startup {
namespace {

const wchar_t kContext[] = L"MQLM.Main";

// The logger, or the error a call through a missing object raises.
CErrorLog& Log() {
  if (!core::gLog) throw QlmError(errors::kObjectNotSet, L"MQLM", L"Object variable or With block variable not set");
  return *core::gLog;
}

// Lets pending window events run.
void DispatchPendingEvents() {
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

// One run of the start-up sequence: what its steps find and make, and the
// steps, each under its own name. Run() takes them in their fixed order.
class StartupRun {
 public:
  explicit StartupRun(const StartupParts& parts) : parts_(parts), components_(parts.programFolder) {}
  int Run();

 private:
  using Step = void (StartupRun::*)();

  // The one catch of a step: a failure is logged once under start-up's
  // context (nothing is written while no log is open) and the sequence goes
  // on; false tells the caller the step failed.
  bool RunStep(Step step) noexcept {
    return CatchAtEdge(L"MQLM", L"Main", kLevelError, [&] { (this->*step)(); });
  }

  // First of all: links that non-administrators made are not followed.
  void RefuseUntrustedLinks() { redirectionTrust_ = core::TrustOnlyAdministratorLinks(); }
  void NameDataFolder() { setup_.data.path = parts_.dataFolderParent() + L"Quillmoor"; }
  void PrepareDataFolder() {
    setup_.data.elevated = core::RunsAsAdministrator();
    dataFolder_ = core::PrepareDataFolder(setup_.data);
  }
  void OpenLog();
  void LogStart() { Log().LogMessage(0, L"********** start app", kLevelInformation, kContext); }
  void LogProgramVersion();
  void LogWindowsVersion();
  void LogStartNotes();
  void CheckPrivileges() { privileges_ = parts_.checkPrivileges(); }
  void AdoptCustomLog();
  void ShowComponentMessage() { parts_.showComponentMessage(componentMessage_); }
  void ShowSplash() { parts_.showSplash(); }
  void ShowWaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
  void LetEventsRun() { DispatchPendingEvents(); }
  void NoteSystemRules();
  void CreateProcessObjects() { parts_.createProcessObjects(setup_); }
  void AskSplashVisible() { splashUp_ = parts_.splashVisible(); }
  // Wakes for the next event, or soon after to ask again, so a splash that
  // closes without posting anything is not waited on for ever.
  void WaitForEvents() { MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE); }
  void ShowArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }
  void DropSplash() { parts_.dropSplash(); }
  void ShowMainWindow() { parts_.showMainWindow(); }
  void ReleaseProcessObjects() { parts_.releaseProcessObjects(); }

  // The steps that need the common library; false when the privilege
  // check ended the run (exitCode_ says how).
  bool StartWithCommonLibrary();
  void WaitForSplash();
  int End(int exitCode) {
    core::gLog = nullptr;
    return exitCode;
  }

  const StartupParts& parts_;
  ComponentLoader components_;
  ProcessSetup setup_;
  std::uint32_t redirectionTrust_ = 0;
  core::PlaceOutcome dataFolder_;
  std::unique_ptr<CErrorLog> ownLog_;
  // A failing check lets the run go on.
  Elevation::PrivilegeDecision privileges_ = Elevation::PrivilegeDecision::Continue;
  std::wstring componentMessage_;
  bool splashUp_ = false;
};

void StartupRun::OpenLog() {
  ownLog_ = std::make_unique<CErrorLog>();
  core::gLog = ownLog_.get();
  // Not a byte into a data folder that was refused or is not there.
  const std::wstring& folder = setup_.data.path;
  if (dataFolder_.kind == core::PlaceOutcome::Kind::Used)
    Log().OpenLogFiles(folder + L"\\QLM.log", folder + L"\\short.log");
}

void StartupRun::LogProgramVersion() {
  int major = 0, minor = 0, revision = 0;
  if (!ProgramResources::ProgramVersion(major, minor, revision)) throw QlmError(-1, L"MQLM", L"No version resource");
  Log().LogMessage(0, VersionRecordText(LoadStr(IDS_PRODUCT_NAME), major, minor, revision), kLevelInformation,
                   kContext);
}

void StartupRun::LogWindowsVersion() {
  const auto version = windowsversion::Read();
  Log().LogMessage(0, L"Windows: " + (version ? windowsversion::Describe(*version) : std::wstring()), kLevelInformation,
                   kContext);
}

// What the start found before its log was open: the process could not
// refuse untrusted links, the data folder could not be given to the
// administrators, a log that is a link was not opened (said in the other).
void StartupRun::LogStartNotes() {
  CErrorLog& log = Log();
  if (redirectionTrust_ != 0)
    log.LogMessage(
        0, formattext::Format(LoadStr(IDS_LOG_NO_REDIRECTION_TRUST), {systemmessage::ForCode(redirectionTrust_)}),
        kLevelInformation, kContext);
  if (!dataFolder_.note.empty()) log.LogMessage(0, dataFolder_.note, kLevelDiscovery, kContext);
  for (const PlaceCheck& check : {log.FullLogProblem(), log.ShortLogProblem()})
    if (check.problem == PlaceProblem::Link || check.problem == PlaceProblem::HardLinked)
      log.LogMessage(0, formattext::Format(LoadStr(IDS_REFUSED_LINK), {check.place}), kLevelDiscovery, kContext);
}

// The custom component may hand back a logger of its own.
void StartupRun::AdoptCustomLog() {
  if (CustomObject custom = components_.CreateCustom(L"QLMCustom.CCustom2")) {
    CErrorLog* log = core::gLog;
    custom->Init(log);
    core::gLog = log;
  }
}

// Unicode file names on the NT family; short 8.3 names are made long
// except on NT 4.
void StartupRun::NoteSystemRules() {
  const DWORD version = GetVersion();
  const bool isNT = (version & 0x80000000u) == 0;
  setup_.data.unicodeFiles = isNT;
  setup_.longFileNames = isNT && LOBYTE(LOWORD(version)) != 4;
}

bool StartupRun::StartWithCommonLibrary() {
  RunStep(&StartupRun::NameDataFolder);
  RunStep(&StartupRun::PrepareDataFolder);
  RunStep(&StartupRun::OpenLog);
  RunStep(&StartupRun::LogStart);
  RunStep(&StartupRun::LogProgramVersion);
  RunStep(&StartupRun::LogWindowsVersion);
  RunStep(&StartupRun::LogStartNotes);
  RunStep(&StartupRun::CheckPrivileges);
  return privileges_ == Elevation::PrivilegeDecision::Continue;
}

void StartupRun::WaitForSplash() {
  for (;;) {
    // A failing question counts as a closed splash.
    if (!RunStep(&StartupRun::AskSplashVisible) || !splashUp_) return;
    RunStep(&StartupRun::LetEventsRun);
    RunStep(&StartupRun::WaitForEvents);
  }
}

int StartupRun::Run() {
  RunStep(&StartupRun::RefuseUntrustedLinks);
  // The library's calls are made only once it is known to be there; when it
  // is missing, they are skipped as failing steps would be, and the
  // component check reports it.
  if (components_.LoadOzCore() && !StartWithCommonLibrary())
    return End(privileges_ == Elevation::PrivilegeDecision::Refuse ? kExitRefused : kExitNormal);
  RunStep(&StartupRun::AdoptCustomLog);
  if (!CheckComponents(components_, componentMessage_)) {
    RunStep(&StartupRun::ShowComponentMessage);
    LogRecord(0, componentMessage_, kLevelDiscovery, kContext);
    return End(kExitRefused);
  }
  RunStep(&StartupRun::ShowSplash);
  RunStep(&StartupRun::ShowWaitCursor);
  RunStep(&StartupRun::LetEventsRun);
  RunStep(&StartupRun::LetEventsRun);
  RunStep(&StartupRun::NoteSystemRules);
  RunStep(&StartupRun::CreateProcessObjects);
  WaitForSplash();
  RunStep(&StartupRun::ShowArrowCursor);
  RunStep(&StartupRun::DropSplash);
  RunStep(&StartupRun::ShowMainWindow);
  RunStep(&StartupRun::ReleaseProcessObjects);
  return End(kExitNormal);
}

}  // namespace

StartupParts RealStartupParts() {
  StartupParts parts;
  parts.programFolder = ProgramResources::ProgramFolder();
  parts.dataFolderParent = [] { return systemfolders::RoamingAppData(); };
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

int RunStartup(const StartupParts& parts) { return StartupRun(parts).Run(); }

int Main(const StartupParts& parts) {
  dllsearch::RestrictDllSearch();
  InstallDelayLoadGuard();
  ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return RunStartup(parts);
}

}  // namespace Startup
