#include "core/Messages.h"

#include <atomic>

#include "core/QlmError.h"

namespace core {
namespace {
constexpr std::int32_t kObjectNotSet = errors::kObjectNotSet;
std::atomic<MessagePresenter> gPresenter{nullptr};
std::atomic<ChoicePresenter> gChoices{nullptr};
}  // namespace

void SetMessagePresenter(MessagePresenter presenter) { gPresenter = presenter; }

std::int32_t ShowMessage(const std::wstring& text, std::int32_t buttons, const std::wstring& title) {
  const MessagePresenter presenter = gPresenter;
  if (!presenter) throw QlmError(kObjectNotSet, L"MQLM.ShowMessage", L"Object variable or With block variable not set");
  return presenter(text, buttons, title);
}

void SetChoicePresenter(ChoicePresenter presenter) { gChoices = presenter; }

Choice AskChoice(const std::wstring& text, const std::wstring& title, const std::vector<std::wstring>& choices,
                 std::int32_t buttons) {
  const ChoicePresenter presenter = gChoices;
  if (!presenter) throw QlmError(kObjectNotSet, L"MQLM.AskChoice", L"Object variable or With block variable not set");
  return presenter(text, title, choices, buttons);
}

}  // namespace core
