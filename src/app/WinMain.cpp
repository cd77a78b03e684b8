// Quillmoor.exe's entry. The command line is not read.
#include <windows.h>

#include "app/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return Startup::Main(); }
