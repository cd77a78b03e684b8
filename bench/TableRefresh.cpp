#include "TableRefresh.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "Stats.h"
#include "discovery/FileResolver.h"
#include "ui/main/TableHost.h"
#include "ui/main/DetailsPane.h"

namespace bench {

namespace {

const wchar_t kFrameClass[] = L"QlmBenchTableFrame";

// A plain top-level window the size of the main window's client area.
struct Frame {
  HWND hwnd = nullptr;
  Frame() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassExW(&wc);
    RECT r{0, 0, 963, 501};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    hwnd = CreateWindowExW(0, kFrameClass, L"Quillmoor table refresh", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  ~Frame() {
    if (hwnd) DestroyWindow(hwnd);
  }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
};

// Handles whatever the window has queued (painting included).
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct ComScope {
  const bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  ~ComScope() {
    if (ok) CoUninitialize();
  }
};

}  // namespace

std::optional<double> TimeTableRefresh() {
  ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  FileResolver files(true);
  std::optional<double> elapsed;
  {
    Frame frame;
    DetailsPane details;
    TableHost host(files);
    if (frame.hwnd && details.Create(frame.hwnd) && host.Create(frame.hwnd)) {
      // The table host on the left, the details pane beside it.
      MoveWindow(host.Hwnd(), 0, 0, 663, 501, FALSE);
      MoveWindow(details.Hwnd(), 663, 0, 300, 501, FALSE);
      ShowWindow(details.Hwnd(), SW_SHOWNA);
      details.Init();
      ShowWindow(frame.hwnd, SW_SHOWNOACTIVATE);
      // The first filling, as the main window's load makes it.
      host.Init(&details, nullptr);
      UpdateWindow(frame.hwnd);
      Pump();

      const double start = NowMs();
      host.RefreshTables();
      UpdateWindow(frame.hwnd);
      Pump();
      elapsed = NowMs() - start;
    }
  }
  Pump();
  return elapsed;
}

}  // namespace bench
