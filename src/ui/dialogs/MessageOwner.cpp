#include "ui/dialogs/MessageOwner.h"

#include "ui/dialogs/ShowMessage.h"

namespace MQLM {
namespace {
MessageOwner gOwner;
}

void SetMessageOwner(const MessageOwner& owner) {
  gOwner = owner;
  SetMessagePresenter(owner.window ? &ShowTaskDialogMessage : nullptr);
}

void ClearMessageOwner(HWND window) {
  if (gOwner.window != window) return;
  gOwner = MessageOwner{};
  SetMessagePresenter(nullptr);
}

MessageOwner CurrentMessageOwner() { return gOwner; }

}  // namespace MQLM
