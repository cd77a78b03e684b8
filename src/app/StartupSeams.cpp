#include "app/StartupSeams.h"

#include <memory>

#include "ui/dialogs/FSplash.h"
#include "core/ProcessState.h"
#include "discovery/CFileChecker.h"
#include "ui/main/FMain.h"

namespace MQLM {
namespace {
// What start-up owns for the whole run; the globals point into these.
std::unique_ptr<FSplash> gSplashWindow;
std::unique_ptr<CFileChecker> gOwnFileChecker;
std::unique_ptr<FMain> gOwnMainWindow;
}  // namespace

void ShowSplash() {
  gSplashWindow = std::make_unique<FSplash>();
  gSplashWindow->Show();
}

bool SplashVisible() { return gSplashWindow && gSplashWindow->Visible(); }

void DropSplash() { gSplashWindow.reset(); }

void CreateProcessObjects() {
  gOwnFileChecker = std::make_unique<CFileChecker>();
  gFileChecker = gOwnFileChecker.get();
  gOwnMainWindow = std::make_unique<FMain>();
}

void ShowMainWindow() {
  if (gOwnMainWindow) gOwnMainWindow->ShowForm();
}

void ReleaseProcessObjects() {
  gOwnMainWindow.reset();
  gFileChecker = nullptr;
  gOwnFileChecker.reset();
}

}  // namespace MQLM
