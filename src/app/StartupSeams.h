#pragma once
// Where start-up hands over to the windows and objects that other parts of
// the program provide. Each of these is filled in where its window or
// object arrives; start-up's order does not change.
namespace MQLM {

// The splash window: shown without blocking, closes itself. There is no
// splash window yet, so nothing is shown and start-up does not wait.
void ShowSplash();
bool SplashVisible();
void DropSplash();

// The process-wide file checker and the main window object (created, not
// yet shown). Neither exists yet: gFileChecker and gMainWindow stay null.
void CreateProcessObjects();
// Shows the main window and returns when the user has closed it. Until the
// main window exists, a plain top-level window stands in for it.
void ShowMainWindow();
// Releases what CreateProcessObjects made.
void ReleaseProcessObjects();

}  // namespace MQLM
