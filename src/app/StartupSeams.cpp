#include "app/StartupSeams.h"

#include "app/PlaceholderWindow.h"

namespace MQLM {

void ShowSplash() {}

bool SplashVisible() { return false; }

void DropSplash() {}

void CreateProcessObjects() {}

void ShowMainWindow() {
  PlaceholderWindow window;
  if (window.Create()) window.RunUntilClosed();
}

void ReleaseProcessObjects() {}

}  // namespace MQLM
