#include "app/MessageOwner.h"

namespace MQLM {
namespace {
MessageOwner gOwner;
}

void SetMessageOwner(const MessageOwner& owner) { gOwner = owner; }

void ClearMessageOwner(HWND window) {
  if (gOwner.window == window) gOwner = MessageOwner{};
}

MessageOwner CurrentMessageOwner() { return gOwner; }

}  // namespace MQLM
