#pragma once
// Where start-up hands over to the windows and objects that other parts of
// the program provide; start-up's order does not change.
#include "app/Startup.h"

namespace Startup {

// The splash window: shown without blocking, closes itself.
void ShowSplash();
bool SplashVisible();
void DropSplash();

// The file resolver the listings share for the whole run and the main
// window object (created, not yet shown).
void CreateProcessObjects(const ProcessSetup& setup);
// Shows the main window and returns when the user has closed it.
void ShowMainWindow();
// Releases what CreateProcessObjects made.
void ReleaseProcessObjects();

}  // namespace Startup
