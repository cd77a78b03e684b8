#pragma once
// The program's numbered texts, read from the string table of the running
// executable at run time.
#include <string>

#include "StringIds.h"

// The text with the given number; empty when the table has none.
std::wstring LoadStr(unsigned id);
