#include "support/WindowProbe.h"

#include <algorithm>
#include <thread>

namespace qlmtest {

namespace {
HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs = 60000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  struct Search {
    const std::function<bool(HWND)>& match;
    HWND found = nullptr;
  } search{match};
  auto visit = [](HWND hwnd, LPARAM param) -> BOOL {
    auto* s = reinterpret_cast<Search*>(param);
    if (s->match(hwnd)) s->found = hwnd;
    return s->found == nullptr;
  };
  for (;;) {
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount64() > end) return search.found;
    Sleep(50);
  }
}
}  // namespace

HWND WaitForDialogOf(DWORD processId, DWORD timeoutMs) {
  return WaitForTopLevel([processId](HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == processId && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770";
  }, timeoutMs);
}

HWND WaitForWindowOf(DWORD processId, const std::wstring& title) {
  return WaitForTopLevel([&](HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == processId && IsWindowVisible(hwnd) && WindowText(hwnd) == title;
  });
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  return std::wstring(name, static_cast<std::size_t>(std::max(GetClassNameW(hwnd, name, 256), 0)));
}

std::vector<HWND> ChildrenOf(HWND hwnd) {
  std::vector<HWND> children;
  auto add = [](HWND child, LPARAM param) -> BOOL {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
  };
  EnumChildWindows(hwnd, add, reinterpret_cast<LPARAM>(&children));
  return children;
}

namespace {

bool IsButton(HWND hwnd) { return _wcsicmp(ClassOf(hwnd).c_str(), L"Button") == 0; }

// Visible push buttons with their captions, "&" removed.
std::vector<std::pair<HWND, std::wstring>> PushButtons(HWND dialog) {
  std::vector<std::pair<HWND, std::wstring>> buttons;
  for (HWND child : ChildrenOf(dialog)) {
    const auto type = GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
    if (!IsButton(child) || !IsWindowVisible(child) || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) continue;
    std::wstring caption = WindowText(child);
    caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
    buttons.emplace_back(child, caption);
  }
  return buttons;
}

HICON IconOf(HWND dialog) {
  for (HWND child : ChildrenOf(dialog))
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
  return nullptr;
}

}  // namespace

std::vector<std::wstring> ButtonCaptions(HWND dialog) {
  std::vector<std::wstring> captions;
  for (const auto& [button, caption] : PushButtons(dialog)) captions.push_back(caption);
  return captions;
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring text;
  for (HWND child : ChildrenOf(dialog))
    if (!IsButton(child)) text += WindowText(child) + L"\n";
  return text;
}

bool PressButton(HWND dialog, const std::wstring& caption) {
  for (const auto& [button, text] : PushButtons(dialog)) {
    if (text != caption) continue;
    // As a click would: the dialog hears of it from the button.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
  }
  return false;
}

DialogAnswerer::DialogAnswerer(std::vector<std::wstring> presses) : presses_(std::move(presses)) {
  thread_ = std::thread([this] {
    HWND previous = nullptr;
    for (std::size_t next = 0;; ++next) {
      HWND dialog = nullptr;
      // The next dialog is another window, or this one's handle reused
      // after it closed.
      while (!stop_ && (!dialog || dialog == previous)) dialog = WaitForDialogOf(GetCurrentProcessId(), 50);
      if (stop_) return;
      Sleep(200);  // let it finish building its controls
      Dialog seen;
      seen.owner = GetWindow(dialog, GW_OWNER);
      seen.title = WindowText(dialog);
      seen.texts = StaticTexts(dialog);
      seen.buttons = ButtonCaptions(dialog);
      GetWindowRect(dialog, &seen.window);
      seen.icon = IconOf(dialog);
      const std::wstring press = next < presses_.size() ? presses_[next] : L"(not expected)";
      bool answered = true;
      if (press.empty()) {
        HWND focus = nullptr;
        for (HWND child : ChildrenOf(dialog))
          if (ClassOf(child) == L"Button") focus = child;
        PostMessageW(focus ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(focus ? focus : dialog, WM_KEYUP, VK_ESCAPE, 0);
      } else {
        answered = PressButton(dialog, press);
      }
      // Never leave the test hanging on a dialog it did not expect.
      if (!answered) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      seen_.push_back(seen);
      for (int i = 0; i < 100 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(50);
      previous = IsWindow(dialog) ? dialog : nullptr;
    }
  });
}

DialogAnswerer::~DialogAnswerer() { StopAndSeen(); }

const std::vector<Dialog>& DialogAnswerer::StopAndSeen() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return seen_;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Key(HWND hwnd, UINT virtualKey) {
  SendMessageW(hwnd, WM_KEYDOWN, virtualKey, 1);
  SendMessageW(hwnd, WM_KEYUP, virtualKey, 0xC0000001);
  Pump();
}

void KeysHeld::Set(BYTE state) {
  BYTE all[256];
  GetKeyboardState(all);
  all[key_] = state;
  SetKeyboardState(all);
}

}  // namespace qlmtest
