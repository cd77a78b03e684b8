// Quillmoor.exe's entry: start-up with the program's own parts. The command
// line is not read.
#include <windows.h>

#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return Startup::Main(Startup::RealStartupParts()); }
