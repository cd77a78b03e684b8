#pragma once
// The splash window: the product picture, shown while the main window is
// being prepared. It closes itself one second after it appeared, or at
// once when clicked.
#include <windows.h>

#include "ozcore/UniqueHandle.h"

class SplashWindow {
 public:
  static constexpr int kPictureResource = 1300;
  // Client size in pixels at 96 DPI.
  static constexpr int kClientWidth = 400;
  static constexpr int kClientHeight = 316;
  static constexpr UINT kShowMs = 1000;

  SplashWindow() = default;
  ~SplashWindow();
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  // Creates and shows the window, centred on the screen, without waiting;
  // the timer starts now. False when the window cannot be made.
  bool Show();
  // True until the timer fired or the user clicked it.
  bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
  void Close();
  HWND Hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  HWND hwnd_ = nullptr;
  UniqueGdiObject picture_;
};
