#pragma once
// Text to standard output or standard error.
#include <windows.h>

#include <string>

namespace qmscan {

// Writes text (line breaks as "\n" or "\r\n") to the given standard handle
// (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE): as UTF-16 through the console when
// the handle is one, else as UTF-8 bytes with CR LF line breaks. False when
// the text could not be written in full. Control and invisible characters
// other than line breaks are shown in caret notation (TerminalSafe).
bool WriteText(DWORD stdHandle, const std::wstring& text);

// The bytes WriteText writes to a file or pipe: UTF-8 with CR LF line
// breaks, shown characters as above.
std::string OutputBytes(const std::wstring& text);

}  // namespace qmscan
