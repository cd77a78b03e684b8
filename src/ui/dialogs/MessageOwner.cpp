#include "ui/dialogs/MessageOwner.h"

#include "ui/dialogs/ShowMessage.h"

namespace dialogs {
namespace {
MessageOwner gOwner;
}

void SetMessageOwner(const MessageOwner& owner) {
  gOwner = owner;
  core::SetMessagePresenter(owner.window ? &ShowTaskDialogMessage : nullptr);
  core::SetChoicePresenter(owner.window ? &ShowTaskDialogChoice : nullptr);
}

void ClearMessageOwner(HWND window) {
  if (gOwner.window != window) return;
  gOwner = MessageOwner{};
  core::SetMessagePresenter(nullptr);
  core::SetChoicePresenter(nullptr);
}

MessageOwner CurrentMessageOwner() { return gOwner; }

}  // namespace dialogs
