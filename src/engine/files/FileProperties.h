#pragma once
// The system's file-properties window for an add-on's file.
#include <windows.h>

#include <string>

namespace FileProperties {

// Asks the shell to show the properties of file, owned by owner. True when
// the shell accepted the request; the shell shows no error box of its own.
bool ShowFileProperties(const std::wstring& file, HWND owner);

}  // namespace FileProperties
