#include "ui/dialogs/SplashWindow.h"

#include "core/ErrorReport.h"
#include "ui/dialogs/PngBitmap.h"
#include "core/Strings.h"

namespace {

const wchar_t kClassName[] = L"QuillmoorSplash";
constexpr UINT_PTR kTimerId = 1;
constexpr DWORD kStyle = WS_POPUP | WS_BORDER;

bool RegisterClassOnce(WNDPROC proc) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  // The program is busy while the splash shows.
  wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

SplashWindow::~SplashWindow() { Close(); }

bool SplashWindow::Show() {
  if (hwnd_) return true;
  if (!RegisterClassOnce(&SplashWindow::WindowProc)) return false;
  const std::wstring title = LoadStr(IDS_PRODUCT_NAME);
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kClassName, title.c_str(), kStyle, 0, 0, 0, 0, nullptr, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;

  // Sized for the DPI of the monitor it appears on, centred there.
  const UINT dpi = GetDpiForWindow(hwnd_) ? GetDpiForWindow(hwnd_) : 96;
  const int width = MulDiv(kClientWidth, static_cast<int>(dpi), 96);
  const int height = MulDiv(kClientHeight, static_cast<int>(dpi), 96);
  picture_ = PngBitmap::Decode(kPictureResource, width, height);
  RECT rect{0, 0, width, height};
  AdjustWindowRectExForDpi(&rect, kStyle, FALSE, WS_EX_APPWINDOW, dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
               w, h, SWP_NOZORDER);
  SetTimer(hwnd_, kTimerId, kShowMs, nullptr);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  return true;
}

void SplashWindow::Close() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK SplashWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<SplashWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<SplashWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  // The window's one catch: a failure is logged and the message gets its
  // default handling.
  LRESULT result = 0;
  if (!CatchAtEdge(L"SplashWindow", L"WindowProc", kLevelError,
                   [&] { result = self->HandleMessage(message, wParam, lParam); }))
    result = DefWindowProcW(hwnd, message, wParam, lParam);
  return result;
}

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  switch (message) {
    case WM_TIMER:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      // Time is up, or the user clicked: the splash goes.
      Close();
      return 0;
    case WM_ERASEBKGND:
      return picture_ ? 1 : DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kTimerId);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      picture_.reset();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void SplashWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (picture_) {
    PngBitmap::Draw(dc, picture_.get(), 0, 0);
  } else {
    RECT client{};
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1));
  }
  EndPaint(hwnd_, &ps);
}
