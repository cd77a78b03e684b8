#pragma once
// How a table shows an add-on's state and signature: the details' "State"
// and "Signature" rows, and whether its row is greyed as not running.
#include "ozcore/CParams.h"

namespace tables {

// Adds "State" and "Signature" when the record has them.
void AddStateDetails(const CResultNode& record, CParams& details);

// True when the record's state says the add-on does not run for some or
// all of its users (off, blocked, or every add-on turned off).
bool RecordLooksInactive(const CResultNode& record);

}  // namespace tables
