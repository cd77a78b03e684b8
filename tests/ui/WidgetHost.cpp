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

void HostWindow::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
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
  if (self && message == WM_NOTIFY) {
    self->notifications.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
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

void Key(HWND hwnd, UINT virtualKey) {
  SendMessageW(hwnd, WM_KEYDOWN, virtualKey, 1);
  SendMessageW(hwnd, WM_KEYUP, virtualKey, 0xC0000001);
  Pump();
}

namespace {
void SetControl(BYTE state) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = state;
  SetKeyboardState(keys);
}
}  // namespace
ControlHeld::ControlHeld() { SetControl(0x80); }
ControlHeld::~ControlHeld() { SetControl(0); }

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

UniqueBitmap MakeImage(int size, COLORREF color) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap && bits) {
    auto* pixels = static_cast<DWORD*>(bits);
    const DWORD argb = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (int i = 0; i < size * size; ++i) pixels[i] = argb;
  }
  return bitmap;
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
