#pragma once
// The window that owns the program's messages, and the image store that
// gives them their icon. The main window registers itself here while it
// exists, which makes the task dialog the program's way of showing
// messages (core/Messages.h) for as long as it stays. User-interface thread only.
#include <windows.h>

#include <functional>
#include <utility>

class ImageStore;

namespace dialogs {

struct MessageOwner {
  MessageOwner(HWND ownerWindow = nullptr, ImageStore* imageStore = nullptr, std::function<HWND()> over = {})
      : window(ownerWindow), images(imageStore), centreOver(std::move(over)) {}

  HWND window = nullptr;
  ImageStore* images = nullptr;
  // The part of the owner a message is centred over, whatever started the
  // command that asks: the list the commands act on. Unset, or null or
  // hidden when asked: the owner window itself.
  std::function<HWND()> centreOver;
};

void SetMessageOwner(const MessageOwner& owner);
// Clears the registration, but only while it still names this window.
void ClearMessageOwner(HWND window);
MessageOwner CurrentMessageOwner();

}  // namespace dialogs
