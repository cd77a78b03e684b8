#pragma once
// Finding and answering the windows a test's code (or a child process)
// shows: message boxes, task dialogs, the program's window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qlmtest {

// Polls the top-level windows until one matches, or returns null after
// timeoutMs (a guard against hanging, not a speed check).
HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs = 60000);
// A visible dialog (class "#32770") of the given process.
HWND WaitForDialogOf(DWORD processId, DWORD timeoutMs = 60000);

std::wstring WindowText(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
std::vector<HWND> ChildrenOf(HWND hwnd);
// The captions of the push buttons in a dialog, "&" removed.
std::vector<std::wstring> ButtonCaptions(HWND dialog);
// The texts of every child that is not a button, joined by line breaks.
std::wstring StaticTexts(HWND dialog);
// Presses the button with that caption ("&" ignored); false when none.
bool PressButton(HWND dialog, const std::wstring& caption);

}  // namespace qlmtest
