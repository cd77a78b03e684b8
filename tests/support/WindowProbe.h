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

// What one answered dialog showed.
struct Dialog {
  HWND owner = nullptr;
  std::wstring title;
  std::wstring texts;
  std::vector<std::wstring> buttons;
  RECT client{};
  RECT window{};  // on the screen
  HICON icon = nullptr;
  bool answered = false;
};

// Answers, one after another, the dialogs this process shows, pressing the
// given button captions in turn ("" sends Escape); then stops. Joined when
// destroyed, so a test never hangs on a dialog left open.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::vector<std::wstring> presses);
  ~DialogAnswerer();
  // Waits for the thread and returns what it saw.
  const std::vector<Dialog>& Seen();
  // Stops waiting for dialogs not shown yet, and returns what it saw: for
  // after a synchronous action has returned.
  const std::vector<Dialog>& StopAndSeen();

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::wstring> presses_;
  std::vector<Dialog> seen_;
  std::thread thread_;
};

}  // namespace qlmtest
