#include "engine/live/LiveMachine.h"

#include <windows.h>

#include "engine/kinds/RecordRoots.h"
#include "engine/live/LiveFileFacts.h"
#include "engine/sources/AccountNames.h"
#include "engine/sources/LiveRegistry.h"

namespace engine {

namespace {
std::wstring AccountOf(const std::wstring& sid) {
  std::wstring domain, account;
  AccountNames::SidToAccountName(sid, domain, account);
  return account;
}

// The user whose class registrations this process's classes root merges.
std::wstring ProcessUserSid() { return AccountNames::TokenUserSid(GetCurrentProcessToken()); }
}  // namespace

struct LiveMachine::Parts {
  LiveRegistry registry;
  LiveFileFacts files;
  MachineSources sources;

  explicit Parts(FileResolver& resolver)
      : files(resolver), sources{registry, files, &AccountOf, ProcessUserSid(), discovery::RegistryViews(), {}} {}
};

LiveMachine::LiveMachine(FileResolver& resolver) : parts_(std::make_unique<Parts>(resolver)) {}
LiveMachine::~LiveMachine() = default;

MachineSources& LiveMachine::Sources() { return parts_->sources; }

}  // namespace engine
