#include "app/StartupSeams.h"

#include <memory>

#include "ui/dialogs/SplashWindow.h"
#include "engine/files/FileResolver.h"
#include "ui/main/MainWindow.h"

namespace Startup {
namespace {
// What start-up owns for the whole run.
std::unique_ptr<SplashWindow> gSplashWindow;
std::unique_ptr<FileResolver> gFileResolver;
std::unique_ptr<MainWindow> gOwnMainWindow;
}  // namespace

void ShowSplash() {
  gSplashWindow = std::make_unique<SplashWindow>();
  gSplashWindow->Show();
}

bool SplashVisible() { return gSplashWindow && gSplashWindow->Visible(); }

void DropSplash() { gSplashWindow.reset(); }

void CreateProcessObjects(const ProcessSetup& setup) {
  gFileResolver = std::make_unique<FileResolver>(setup.longFileNames);
  gOwnMainWindow = std::make_unique<MainWindow>(*gFileResolver, setup.data);
}

void ShowMainWindow() {
  if (gOwnMainWindow) gOwnMainWindow->RunUntilClosed();
}

void ReleaseProcessObjects() {
  gOwnMainWindow.reset();
  gFileResolver.reset();
}

}  // namespace Startup
