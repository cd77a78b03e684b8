#pragma once
// Account names of security identifiers, for the "Affected users" text of
// entries found in a user's hive.
#include <string>

namespace AccountNames {

// Looks up the account of a SID given in text form ("S-1-5-21-...") on the
// local machine. Both outputs are empty when the text is not a SID this
// program can read or no account has it.
void SidToAccountName(const std::wstring& sidText, std::wstring& domainName, std::wstring& accountName);

}  // namespace AccountNames
