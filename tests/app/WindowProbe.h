#pragma once
// Finding and answering the windows a test's code, or a child process,
// shows: message boxes, task dialogs, the program's window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qlmtest {

// Polls the top-level windows until one matches; null after timeoutMs (a
// guard against hanging, not a speed check).
HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs = 60000);
// A visible dialog (class "#32770") of the given process.
HWND WaitForDialogOf(DWORD processId);

std::wstring WindowText(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
std::vector<HWND> ChildrenOf(HWND hwnd);
// The captions of a dialog's push buttons, "&" removed.
std::vector<std::wstring> ButtonCaptions(HWND dialog);
// The texts of the children that are not buttons, one per line.
std::wstring StaticTexts(HWND dialog);
// Presses the push button with that caption; false when there is none.
bool PressButton(HWND dialog, const std::wstring& caption);

}  // namespace qlmtest
