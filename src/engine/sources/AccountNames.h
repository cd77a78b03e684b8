#pragma once
// Account names of security identifiers, for the "Affected users" text of
// entries found in a user's hive; whose the session is.
#include <windows.h>

#include <string>

namespace AccountNames {

// Looks up the account of a SID given in text form ("S-1-5-21-...") on the
// local machine. Both outputs are empty when the text is not a SID this
// program can read or no account has it.
void SidToAccountName(const std::wstring& sidText, std::wstring& domainName, std::wstring& accountName);

// The SID (as text) of the user a token belongs to; empty if unknown.
std::wstring TokenUserSid(HANDLE token);

// The SID (as text) of the user signed in to this session, whose settings
// "for me" means: the user the desktop's shell runs as, else this
// process's user. They differ when an administrator's name and password
// were typed in at the elevation prompt: this process then runs as that
// administrator. (The elevated token's linked token cannot tell: it
// belongs to the same account as the elevated one.)
std::wstring SessionUserSid();

}  // namespace AccountNames
