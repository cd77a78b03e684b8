#include "core/Messages.h"

#include <atomic>

#include "core/QlmError.h"

namespace core {
namespace {
constexpr std::int32_t kObjectNotSet = errors::kObjectNotSet;
std::atomic<MessagePresenter> gPresenter{nullptr};
}  // namespace

void SetMessagePresenter(MessagePresenter presenter) { gPresenter = presenter; }

std::int32_t ShowMessage(const std::wstring& text, std::int32_t buttons, const std::wstring& title) {
  const MessagePresenter presenter = gPresenter;
  if (!presenter) throw QlmError(kObjectNotSet, L"MQLM.ShowMessage", L"Object variable or With block variable not set");
  return presenter(text, buttons, title);
}

}  // namespace core
