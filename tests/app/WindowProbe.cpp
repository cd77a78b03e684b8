#include "app/WindowProbe.h"

#include <algorithm>

namespace qlmtest {

HWND WaitForTopLevel(const std::function<bool(HWND)>& match, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    struct Search {
      const std::function<bool(HWND)>* match;
      HWND found;
    } search{&match, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          if (!(*s->match)(hwnd)) return TRUE;
          s->found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (GetTickCount64() > end) return nullptr;
    Sleep(50);
  }
}

HWND WaitForDialogOf(DWORD processId, DWORD timeoutMs) {
  return WaitForTopLevel(
      [processId](HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        return pid == processId && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770";
      },
      timeoutMs);
}

std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  const int n = GetClassNameW(hwnd, name, 256);
  return std::wstring(name, static_cast<std::size_t>(std::max(n, 0)));
}

std::vector<HWND> ChildrenOf(HWND hwnd) {
  std::vector<HWND> children;
  EnumChildWindows(
      hwnd,
      [](HWND child, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

namespace {

std::wstring WithoutAmpersands(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return text;
}

bool IsPushButton(HWND hwnd) {
  if (_wcsicmp(ClassOf(hwnd).c_str(), L"Button") != 0) return false;
  const auto type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace

std::vector<std::wstring> ButtonCaptions(HWND dialog) {
  std::vector<std::wstring> captions;
  for (HWND child : ChildrenOf(dialog))
    if (IsPushButton(child) && IsWindowVisible(child)) captions.push_back(WithoutAmpersands(WindowText(child)));
  return captions;
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring text;
  for (HWND child : ChildrenOf(dialog)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0) continue;
    const std::wstring t = WindowText(child);
    if (!t.empty()) text += t + L"\n";
  }
  return text;
}

bool PressButton(HWND dialog, const std::wstring& caption) {
  for (HWND child : ChildrenOf(dialog)) {
    if (IsPushButton(child) && WithoutAmpersands(WindowText(child)) == caption) {
      // As a click would: the dialog hears of it from the button.
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED), reinterpret_cast<LPARAM>(child));
      return true;
    }
  }
  return false;
}

}  // namespace qlmtest
