#pragma once
// The program runs elevated among files the user (and adware running as
// the user) may have turned into links. Where the system offers it, this
// process refuses to follow a link that a non-administrator made.
#include <cstdint>

namespace core {

// Turns the refusal on for this process. 0 when it is on, else the
// system's error code (older systems do not offer it: that is fine).
std::uint32_t TrustOnlyAdministratorLinks();

}  // namespace core
