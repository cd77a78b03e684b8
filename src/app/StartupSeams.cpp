#include "app/StartupSeams.h"

#include <memory>

#include "ui/dialogs/SplashWindow.h"
#include "core/ProcessState.h"
#include "discovery/FileResolver.h"
#include "ui/main/MainWindow.h"

namespace Startup {
namespace {
// What start-up owns for the whole run; the globals point into these.
std::unique_ptr<SplashWindow> gSplashWindow;
std::unique_ptr<FileResolver> gOwnFileChecker;
std::unique_ptr<MainWindow> gOwnMainWindow;
}  // namespace

void ShowSplash() {
  gSplashWindow = std::make_unique<SplashWindow>();
  gSplashWindow->Show();
}

bool SplashVisible() { return gSplashWindow && gSplashWindow->Visible(); }

void DropSplash() { gSplashWindow.reset(); }

void CreateProcessObjects() {
  gOwnFileChecker = std::make_unique<FileResolver>();
  core::gFileChecker = gOwnFileChecker.get();
  gOwnMainWindow = std::make_unique<MainWindow>();
}

void ShowMainWindow() {
  if (gOwnMainWindow) gOwnMainWindow->ShowForm();
}

void ReleaseProcessObjects() {
  gOwnMainWindow.reset();
  core::gFileChecker = nullptr;
  gOwnFileChecker.reset();
}

}  // namespace Startup
