#pragma once
// Which registry view is read or written on 64-bit Windows. Platform-free.

enum class RegView {
  Default,  // the view of the calling process (the only one elsewhere)
  Native,   // the 64-bit view (KEY_WOW64_64KEY)
  Wow32,    // the 32-bit view (KEY_WOW64_32KEY)
};
