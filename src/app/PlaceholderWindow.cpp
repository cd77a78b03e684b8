#include "app/PlaceholderWindow.h"

#include "app/CResource.h"
#include "app/ErrorReport.h"
#include "app/MessageOwner.h"
#include "app/ShowMessage.h"
#include "app/Strings.h"

namespace MQLM {
namespace {

const wchar_t kClassName[] = L"QuillmoorPlaceholderWindow";
// The main window's client size at first show, in pixels at 96 DPI.
constexpr int kClientWidth = 963;
constexpr int kClientHeight = 501;
// The image every message shows (the Delete command's).
constexpr int kMessageIconResource = 1003;

// The window's DPI. Looked up at run time: the call exists from Windows 10
// on, and a direct import would keep the program from starting on older
// systems.
UINT WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto* getDpi = user32 ? reinterpret_cast<GetDpiForWindowFn>(
                              reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                        : nullptr;
  const UINT dpi = getDpi ? getDpi(hwnd) : 0;
  if (dpi) return dpi;
  const HDC dc = GetDC(hwnd);
  const int logical = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
  if (dc) ReleaseDC(hwnd, dc);
  return logical > 0 ? static_cast<UINT>(logical) : 96;
}

}  // namespace

bool PlaceholderWindow::RegisterClassOnce() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &PlaceholderWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
}

PlaceholderWindow::~PlaceholderWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool PlaceholderWindow::Create() {
  if (hwnd_ || !RegisterClassOnce()) return false;
  // The message icon comes from the program's own file.
  Guarded(L"PlaceholderWindow.Create", kLevelError, [&] {
    CResource program;
    if (program.Init(CResource::ProgramFile()))
      images_.AddImage(kMessageIconCommand, program.hModule(), kMessageIconResource);
  });

  const std::wstring title = L"   " + LoadStr(IDS_PRODUCT_NAME);
  hwnd_ = CreateWindowExW(0, kClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;

  // Client size at the window's own DPI, centred on its monitor's work area.
  const UINT dpi = WindowDpi(hwnd_);
  RECT rect{0, 0, MulDiv(kClientWidth, static_cast<int>(dpi), 96), MulDiv(kClientHeight, static_cast<int>(dpi), 96)};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  SetMessageOwner({hwnd_, &images_});
  return true;
}

void PlaceholderWindow::RunUntilClosed() {
  MSG msg;
  while (!closed_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Someone asked the thread to quit: leave that to the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK PlaceholderWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* window = static_cast<PlaceholderWindow*>(create->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* self = reinterpret_cast<PlaceholderWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT PlaceholderWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    closed_ = true;
  } else if (message == WM_DESTROY) {
    OnDestroy();
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void PlaceholderWindow::OnDestroy() { ClearMessageOwner(hwnd_); }

}  // namespace MQLM
