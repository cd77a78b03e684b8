#pragma once
// Finding and answering the windows a test's code, or a child process,
// shows: message boxes, task dialogs, the program's window.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace qlmtest {

// Each polls the top-level windows until one matches; null after the time
// (a guard against hanging, not a speed check).
// A visible dialog (class "#32770") of the given process.
HWND WaitForDialogOf(DWORD processId, DWORD timeoutMs = 60000);
// A visible window of the given process with that title ("   Quillmoor":
// the program's main window).
HWND WaitForWindowOf(DWORD processId, const std::wstring& title = L"   Quillmoor");

std::wstring WindowText(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
std::vector<HWND> ChildrenOf(HWND hwnd);
// The captions of a dialog's push buttons, "&" removed.
std::vector<std::wstring> ButtonCaptions(HWND dialog);
// The texts of the children that are not buttons, one per line.
std::wstring StaticTexts(HWND dialog);
// Presses the push button with that caption; false when there is none.
bool PressButton(HWND dialog, const std::wstring& caption);

// What one answered dialog showed.
struct Dialog {
  HWND owner = nullptr;
  std::wstring title;
  std::wstring texts;
  std::vector<std::wstring> buttons;
  RECT window{};  // on the screen
  HICON icon = nullptr;
};

// Answers the dialogs this process shows, one after another, pressing the
// given button captions in turn ("" sends Escape); one beyond the list is
// cancelled and still reported, so a test never hangs on a dialog it did
// not expect. Stopped when destroyed.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::vector<std::wstring> presses);
  ~DialogAnswerer();
  // Stops watching and returns what it saw: for after the action that
  // showed the dialogs has returned.
  const std::vector<Dialog>& StopAndSeen();

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::wstring> presses_;
  std::vector<Dialog> seen_;
  std::thread thread_;
};

// Lets this thread's pending window messages run.
void Pump();
// A key pressed and released at a window, then the messages it led to run.
void Key(HWND hwnd, UINT virtualKey);
// Holds a key (Shift, Ctrl, Alt) down in this thread's keyboard state while alive.
class KeysHeld {
 public:
  explicit KeysHeld(int key) : key_(key) { Set(0x80); }
  ~KeysHeld() { Set(0); }

 private:
  void Set(BYTE state);
  int key_;
};

}  // namespace qlmtest
