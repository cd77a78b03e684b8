// The browser's decision whether an add-on runs for a user, and the one
// line that sums it up over the users a record applies to.
#include <gtest/gtest.h>

#include "engine/state/AddonStateRules.h"

using namespace discovery::state;

namespace {
const StateTexts kTexts{L"On",          L"Off for %1",   L"Blocked by policy",
                        L"Blocked by policy for %1", L"Allowed by policy", L"Allowed by policy for %1",
                        L"All add-ons turned off for %1", L", ", L"; "};

UserFacts User(const std::wstring& name) {
  UserFacts user;
  user.name = name;
  user.hiveKey = L"S-1-5-21-" + name;
  return user;
}
}  // namespace

TEST(NativeAddonState, ValuesAreReadAsTheBrowserReadsThem) {
  EXPECT_EQ(PolicyRuleOf(std::nullopt), PolicyRule::NotManaged);
  EXPECT_EQ(PolicyRuleOf(L"0"), PolicyRule::Blocked);
  EXPECT_EQ(PolicyRuleOf(L"1"), PolicyRule::Allowed);
  EXPECT_EQ(PolicyRuleOf(L"2"), PolicyRule::AllowedUserMayChange);
  // Anything else is no rule: padded, longer, empty, other digits.
  for (const std::wstring& data : {std::wstring(L" 0"), std::wstring(L"00"), std::wstring(L"3"), std::wstring(),
                                   std::wstring(L"1\n"), std::wstring(L"0\0", 2)})
    EXPECT_EQ(PolicyRuleOf(data), PolicyRule::NotManaged);

  // Off needs both halves: bit 0 of Flags and a Version of exactly "*".
  EXPECT_TRUE(SettingsMarkOff(1u, L"*"));
  EXPECT_TRUE(SettingsMarkOff(0xFFFFFFFFu, L"*"));
  EXPECT_FALSE(SettingsMarkOff(2u, L"*"));
  EXPECT_FALSE(SettingsMarkOff(1u, L"**"));
  EXPECT_FALSE(SettingsMarkOff(1u, L""));
  EXPECT_FALSE(SettingsMarkOff(1u, std::nullopt));
  EXPECT_FALSE(SettingsMarkOff(std::nullopt, L"*"));

  EXPECT_TRUE(SwitchTurnsAllOff(L"no"));
  EXPECT_TRUE(SwitchTurnsAllOff(L"NO"));
  EXPECT_FALSE(SwitchTurnsAllOff(L"yes"));
  EXPECT_FALSE(SwitchTurnsAllOff(L"nope"));
  EXPECT_FALSE(SwitchTurnsAllOff(std::nullopt));

  EXPECT_TRUE(IsBraceGuid(L"{1E1B2879-88FF-11D2-8D96-D7ACAC95951F}"));
  EXPECT_TRUE(IsBraceGuid(L"{abcdef01-2345-6789-abcd-ef0123456789}"));
  for (const std::wstring& id : {std::wstring(L"1E1B2879-88FF-11D2-8D96-D7ACAC95951F"),
                                 std::wstring(L"{1E1B2879-88FF-11D2-8D96-D7ACAC95951G}"),
                                 std::wstring(L"{1E1B2879-88FF-11D2-8D96\\D7ACAC95951F}"),
                                 std::wstring(L"{1E1B2879-88FF-11D2-8D96-D7ACAC95951F}\\x"),
                                 std::wstring(L"{1E1B2879-88FF-11D2-8D96-D7ACAC9595\0F}", 38), std::wstring()})
    EXPECT_FALSE(IsBraceGuid(id)) << id.size();
}

// One table of cases: the stores and their precedence for one user.
TEST(NativeAddonState, PolicyOverUserAndTheSwitches) {
  struct Case {
    const char* what;
    std::optional<std::wstring> machinePolicy, userPolicy;
    bool restrict, markedOff, allOff, noManagement;
    Verdict verdict;
    bool held;
  };
  const Case cases[] = {
      {"nothing set", {}, {}, false, false, false, false, Verdict::On, false},
      {"user mark", {}, {}, false, true, false, false, Verdict::Off, false},
      {"machine blocks", L"0", {}, false, false, false, false, Verdict::Blocked, true},
      {"machine allows over the user's mark", L"1", {}, false, true, false, false, Verdict::Allowed, true},
      {"allowed, user may change: mark decides", L"2", {}, false, true, false, false, Verdict::Off, false},
      {"allowed, user may change: on", L"2", {}, false, false, false, false, Verdict::On, false},
      {"user list wins over machine block", L"0", L"1", false, false, false, false, Verdict::Allowed, true},
      {"user list wins over machine allow", L"1", L"0", false, false, false, false, Verdict::Blocked, true},
      {"user list without a rule: machine's", L"0", L"x", false, false, false, false, Verdict::Blocked, true},
      {"only listed: not listed is blocked", {}, {}, true, false, false, false, Verdict::Blocked, true},
      {"only listed: listed allowed runs", L"1", {}, true, false, false, false, Verdict::Allowed, true},
      {"only listed: user-changeable keeps the mark", {}, L"2", true, true, false, false, Verdict::Off, false},
      {"switch turns all off", {}, {}, false, false, true, false, Verdict::AllTurnedOff, false},
      {"switch over an allowing list", L"1", {}, false, false, true, false, Verdict::AllTurnedOff, true},
      {"blocking list over the switch", L"0", {}, false, false, true, false, Verdict::Blocked, true},
      {"no management keeps the mark", {}, {}, false, true, false, true, Verdict::Off, false},
  };
  for (const Case& c : cases) {
    MachineFacts machine;
    machine.policy = c.machinePolicy;
    machine.restrictToList = c.restrict;
    UserFacts user = User(L"ann");
    user.policy = c.userPolicy;
    user.markedOff = c.markedOff;
    user.allTurnedOff = c.allOff;
    user.noManagement = c.noManagement;
    const UserState state = Decide(machine, user);
    EXPECT_EQ(state.verdict, c.verdict) << c.what;
    EXPECT_EQ(state.heldByPolicy, c.held) << c.what;
    EXPECT_EQ(state.noManagement, c.noManagement) << c.what;
    EXPECT_EQ(state.markedOff, c.markedOff) << c.what;
  }
}

TEST(NativeAddonState, SummaryNamesTheUsersOfEachVerdict) {
  const std::vector<UserFacts> users = {User(L"ann"), User(L"bo"), User(L"cy")};
  auto summary = [&](std::vector<Verdict> verdicts, MachineFacts machine = {}) {
    std::vector<UserState> states;
    for (Verdict v : verdicts) states.push_back(UserState{v, false, false, false});
    return SummaryText(machine, users, states, kTexts);
  };
  EXPECT_EQ(summary({Verdict::On, Verdict::On, Verdict::On}), L"On");
  EXPECT_EQ(summary({Verdict::On, Verdict::Off, Verdict::On}), L"Off for bo");
  EXPECT_EQ(summary({Verdict::Off, Verdict::Off, Verdict::On}), L"Off for ann, bo");
  // Everyone off still names them: turning on for one user is possible.
  EXPECT_EQ(summary({Verdict::Off, Verdict::Off, Verdict::Off}), L"Off for ann, bo, cy");
  EXPECT_EQ(summary({Verdict::Blocked, Verdict::Blocked, Verdict::Blocked}), L"Blocked by policy");
  EXPECT_EQ(summary({Verdict::Allowed, Verdict::Allowed, Verdict::Allowed}), L"Allowed by policy");
  EXPECT_EQ(summary({Verdict::Off, Verdict::Blocked, Verdict::AllTurnedOff}),
            L"Blocked by policy for bo; All add-ons turned off for cy; Off for ann");
  EXPECT_EQ(summary({Verdict::Allowed, Verdict::On, Verdict::On}), L"Allowed by policy for ann");

  // A name holding "%1" is not read as a pattern again.
  const std::vector<UserFacts> odd = {User(L"%1%1")};
  EXPECT_EQ(SummaryText({}, odd, {UserState{Verdict::Off, false, false, true}}, kTexts), L"Off for %1%1");

  // No user signed in: the machine's rule alone.
  MachineFacts blocked;
  blocked.policy = L"0";
  EXPECT_EQ(SummaryText(blocked, {}, {}, kTexts), L"Blocked by policy");
  MachineFacts onlyListed;
  onlyListed.restrictToList = true;
  EXPECT_EQ(SummaryText(onlyListed, {}, {}, kTexts), L"Blocked by policy");
  EXPECT_EQ(SummaryText({}, {}, {}, kTexts), L"On");

  // Read back from the summary: inactive parts lead, so every summary of
  // states tells the same as the states.
  const std::vector<std::vector<Verdict>> mixes = {
      {Verdict::On, Verdict::On, Verdict::On},          {Verdict::Allowed, Verdict::On, Verdict::On},
      {Verdict::Allowed, Verdict::Allowed, Verdict::Allowed}, {Verdict::Off, Verdict::On, Verdict::Allowed},
      {Verdict::Blocked, Verdict::Blocked, Verdict::Blocked}, {Verdict::AllTurnedOff, Verdict::On, Verdict::On},
      {Verdict::Allowed, Verdict::Blocked, Verdict::On}};
  for (const auto& mix : mixes) {
    std::vector<UserState> states;
    for (Verdict v : mix) states.push_back(UserState{v});
    const std::wstring text = SummaryText({}, users, states, kTexts);
    EXPECT_EQ(SummaryShowsInactive(text, kTexts), AnyInactive(states)) << std::string(text.begin(), text.end());
  }
  EXPECT_FALSE(AnyInactive({UserState{Verdict::On}, UserState{Verdict::Allowed}}));
  EXPECT_TRUE(AnyInactive({UserState{Verdict::On}, UserState{Verdict::AllTurnedOff}}));
  EXPECT_TRUE(AnyInactive({UserState{Verdict::Blocked}}));
}
