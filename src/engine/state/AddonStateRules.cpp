#include "engine/state/AddonStateRules.h"

namespace discovery::state {

PolicyRule PolicyRuleOf(const std::optional<std::wstring>& data) {
  if (!data) return PolicyRule::NotManaged;
  if (*data == L"0") return PolicyRule::Blocked;
  if (*data == L"1") return PolicyRule::Allowed;
  if (*data == L"2") return PolicyRule::AllowedUserMayChange;
  return PolicyRule::NotManaged;
}

bool SettingsMarkOff(const std::optional<std::uint32_t>& flags, const std::optional<std::wstring>& version) {
  return flags && (*flags & 1u) != 0 && version && *version == L"*";
}

bool SwitchTurnsAllOff(const std::optional<std::wstring>& data) {
  if (!data || data->size() != 2) return false;
  return ((*data)[0] == L'n' || (*data)[0] == L'N') && ((*data)[1] == L'o' || (*data)[1] == L'O');
}

UserState Decide(const MachineFacts& machine, const UserFacts& user) {
  UserState state;
  state.markedOff = user.markedOff;
  state.noManagement = machine.noManagement || user.noManagement;
  // The user's list wins over the machine's when it has a rule.
  PolicyRule rule = PolicyRuleOf(user.policy);
  if (rule == PolicyRule::NotManaged) rule = PolicyRuleOf(machine.policy);

  if (rule == PolicyRule::Blocked || (rule == PolicyRule::NotManaged && machine.restrictToList)) {
    state.verdict = Verdict::Blocked;
    state.heldByPolicy = true;
  } else if (user.allTurnedOff) {
    state.verdict = Verdict::AllTurnedOff;
    state.heldByPolicy = rule == PolicyRule::Allowed;
  } else if (rule == PolicyRule::Allowed) {
    state.verdict = Verdict::Allowed;
    state.heldByPolicy = true;
  } else {
    state.verdict = user.markedOff ? Verdict::Off : Verdict::On;
  }
  return state;
}

std::wstring Substitute(const std::wstring& pattern, const std::wstring& argument) {
  std::wstring out;
  out.reserve(pattern.size() + argument.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L'1') {
      out += argument;
      ++i;
    } else {
      out.push_back(pattern[i]);
    }
  }
  return out;
}

namespace {

std::wstring PartFor(Verdict verdict, const std::vector<UserFacts>& users, const std::vector<UserState>& states,
                     const std::wstring& whole, const std::wstring& forUsers, const std::wstring& separator) {
  std::wstring names;
  std::size_t count = 0;
  for (std::size_t i = 0; i < states.size() && i < users.size(); ++i) {
    if (states[i].verdict != verdict) continue;
    if (count++ > 0) names += separator;
    names += users[i].name;
  }
  if (count == 0) return {};
  if (count == users.size() && !whole.empty()) return whole;
  return Substitute(forUsers, names);
}

}  // namespace

std::wstring SummaryText(const MachineFacts& machine, const std::vector<UserFacts>& users,
                         const std::vector<UserState>& states, const StateTexts& texts) {
  if (users.empty()) {
    const PolicyRule rule = PolicyRuleOf(machine.policy);
    if (rule == PolicyRule::Blocked || (rule == PolicyRule::NotManaged && machine.restrictToList)) return texts.blocked;
    if (rule == PolicyRule::Allowed) return texts.allowed;
    return texts.on;
  }
  std::wstring summary;
  auto add = [&](const std::wstring& part) {
    if (part.empty()) return;
    if (!summary.empty()) summary += texts.partSeparator;
    summary += part;
  };
  add(PartFor(Verdict::Blocked, users, states, texts.blocked, texts.blockedFor, texts.nameSeparator));
  add(PartFor(Verdict::AllTurnedOff, users, states, L"", texts.allTurnedOffFor, texts.nameSeparator));
  add(PartFor(Verdict::Off, users, states, L"", texts.offFor, texts.nameSeparator));
  add(PartFor(Verdict::Allowed, users, states, texts.allowed, texts.allowedFor, texts.nameSeparator));
  return summary.empty() ? texts.on : summary;
}

bool AnyInactive(const std::vector<UserState>& states) {
  for (const auto& state : states)
    if (state.verdict != Verdict::On && state.verdict != Verdict::Allowed) return true;
  return false;
}

bool SummaryShowsInactive(const std::wstring& summary, const StateTexts& texts) {
  if (summary.empty() || summary == texts.on || summary == texts.allowed) return false;
  const std::wstring allowedLead = texts.allowedFor.substr(0, texts.allowedFor.find(L"%1"));
  return allowedLead.empty() || summary.compare(0, allowedLead.size(), allowedLead) != 0;
}

bool IsBraceGuid(const std::wstring& id) {
  static constexpr wchar_t kShape[] = L"{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
  constexpr std::size_t kLength = sizeof(kShape) / sizeof(wchar_t) - 1;
  if (id.size() != kLength) return false;
  for (std::size_t i = 0; i < kLength; ++i) {
    const wchar_t ch = id[i];
    if (kShape[i] == L'x') {
      const bool hex = (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
      if (!hex) return false;
    } else if (ch != kShape[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace discovery::state
