#pragma once
// The About window: the product picture, the product's name and version
// with the legal notice, and an OK button. Modal over its owner.
#include <windows.h>

#include <string>

class AboutBox {
 public:
  static constexpr int kPictureResource = 1301;
  // Client size in pixels at 96 DPI.
  static constexpr int kClientWidth = 349;
  static constexpr int kClientHeight = 228;

  // Shows the window over owner, centred on it, and returns when the user
  // has closed it (OK, Escape or the close box).
  static void ShowModal(HWND owner);

  // "Quillmoor Version 6.1", an empty line, then the legal lines; every
  // line ends with a line break. The version is fixed text.
  static std::wstring AboutText();
};
