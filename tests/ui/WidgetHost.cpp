#include "WidgetHost.h"

#include <cstring>

namespace uitest {

namespace {
constexpr wchar_t kHostClass[] = L"QuillmoorWidgetTestHost";
}

HostWindow::HostWindow(int clientWidth, int clientHeight) {
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &HostWindow::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClass;
  RegisterClassExW(&wc);
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kHostClass, L"widget test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  Pump();
}

HostWindow::~HostWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  Pump();
  if (comStarted_) CoUninitialize();
}

LRESULT CALLBACK HostWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self && message == WM_COMMAND) {
    self->commands.push_back(LOWORD(wParam));
    self->commandSources.push_back(lParam);
    return 0;
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

POINT Center(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

void Click(HWND hwnd, POINT pt) {
  const LPARAM at = MAKELPARAM(pt.x, pt.y);
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
  Pump();
}

void Drag(HWND hwnd, POINT from, POINT to) {
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(from.x, from.y));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
  SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  Pump();
}

RECT ToScreen(HWND hwnd, RECT rect) {
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

VARIANT ChildVariant(long child) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = child;
  return v;
}

std::wstring AccText(IAccessible* acc, long child, AccTextGetter get) {
  BSTR text = nullptr;
  std::wstring out = SUCCEEDED((acc->*get)(ChildVariant(child), &text)) && text ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return out;
}
long AccNumber(IAccessible* acc, long child, AccNumberGetter get) {
  VARIANT v;
  VariantInit(&v);
  return SUCCEEDED((acc->*get)(ChildVariant(child), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}
long AccChildCount(IAccessible* acc) {
  long count = -1;
  acc->get_accChildCount(&count);
  return count;
}
RECT AccLocation(IAccessible* acc, long child) {
  long l = 0, t = 0, w = 0, h = 0;
  acc->accLocation(&l, &t, &w, &h, ChildVariant(child));
  return RECT{l, t, l + w, t + h};
}
HRESULT AccDoDefault(IAccessible* acc, long child) { return acc->accDoDefaultAction(ChildVariant(child)); }

UniqueBitmap MakeImage(int size) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(info.bmiHeader), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace uitest
