#pragma once
// The window that owns the program's messages, and the image store that
// gives them their icon. The main window registers itself here while it
// exists, which makes the task dialog the program's way of showing
// messages (core/Messages.h) for as long as it stays. User-interface thread only.
#include <windows.h>

class ImageStore;

namespace dialogs {

struct MessageOwner {
  HWND window = nullptr;
  ImageStore* images = nullptr;
};

void SetMessageOwner(const MessageOwner& owner);
// Clears the registration, but only while it still names this window.
void ClearMessageOwner(HWND window);
MessageOwner CurrentMessageOwner();

}  // namespace dialogs
