#pragma once
// Export marker for the common library. The library is built as ozCore.dll;
// the program links it through a delay-load import library so that a missing
// DLL can be reported with a message instead of the system's loader error.
// Exported classes have no virtual functions: only functions cross the DLL
// boundary, never data, so every import can be delay-loaded.
#if defined(OZCORE_STATIC)
#define OZCORE_API
#elif defined(OZCORE_BUILD)
#define OZCORE_API __declspec(dllexport)
#else
#define OZCORE_API __declspec(dllimport)
#endif
