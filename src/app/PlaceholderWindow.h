#pragma once
// The plain top-level window start-up shows until the main window exists:
// titled like the main window, it owns the program's messages (with the
// command images they take their icon from) and ends the run when closed.
#include <windows.h>

#include "ui/widgets/ImageStore.h"

namespace MQLM {

class PlaceholderWindow {
 public:
  PlaceholderWindow() = default;
  ~PlaceholderWindow();
  PlaceholderWindow(const PlaceholderWindow&) = delete;
  PlaceholderWindow& operator=(const PlaceholderWindow&) = delete;

  // Creates and shows the window, centred, and registers it as the owner
  // of messages. False when the window cannot be made.
  bool Create();
  HWND Handle() const { return hwnd_; }
  ImageStore& Images() { return images_; }
  // Processes window events until the window has been closed.
  void RunUntilClosed();

 private:
  static bool RegisterClassOnce();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnDestroy();

  HWND hwnd_ = nullptr;
  bool closed_ = false;
  ImageStore images_;
};

}  // namespace MQLM
