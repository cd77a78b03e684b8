#pragma once
// Where start-up hands over to the windows and objects that other parts of
// the program provide; start-up's order does not change.
namespace Startup {

// The splash window: shown without blocking, closes itself.
void ShowSplash();
bool SplashVisible();
void DropSplash();

// The process-wide file checker and the main window object (created, not
// yet shown): gFileChecker and the main window.
void CreateProcessObjects();
// Shows the main window and returns when the user has closed it.
void ShowMainWindow();
// Releases what CreateProcessObjects made.
void ReleaseProcessObjects();

}  // namespace Startup
