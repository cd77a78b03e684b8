#pragma once
// Where the program's processes load DLLs from. A DLL named like one of
// the system's, or like one of ours, that someone put in the current
// folder, on PATH or beside a downloaded copy of the program must never be
// loaded in its place.
#include "ozcore/UniqueHandle.h"

namespace dllsearch {

// First thing in a process: later loads by bare name search only the
// program's folder and the system folder; the delay-loaded imports are
// bound to the program's own DLLs by full path in the program's folder and
// to every other DLL from the system folder only. A DLL that cannot be
// found there is not looked for anywhere else.
void RestrictDllSearch();

// One of the program's own DLLs by full path in the program's folder, its
// dependencies from there and from the system folder.
UniqueModule LoadProgramDll(const wchar_t* name);

}  // namespace dllsearch
