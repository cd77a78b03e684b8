#include "TableRefresh.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "Stats.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/live/LiveListing.h"
#include "engine/files/FileResolver.h"
#include "ui/main/DetailsPane.h"
#include "ui/main/StartInventory.h"
#include "ui/main/TableHost.h"
#include "ui/tables/ListedSystem.h"
#include "ui/tables/TableControlBase.h"

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

std::optional<ListTimes> TimeTableRefresh(const core::DataFolder& data) {
  ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  FileResolver files(true);
  ListedSystem system(files);
  std::optional<ListTimes> elapsed;
  {
    Frame frame;
    DetailsPane details;
    TableHost host(system);
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

      ListTimes times;
      // What the refresh reads, alone and in the same state: the difference
      // is what filling the lists costs.
      double start = NowMs();
      for (const auto& kind : discovery::AddonKinds()) discovery::ListAddons(kind, files);
      times.discovery = NowMs() - start;
      start = NowMs();
      host.RefreshTables();
      UpdateWindow(frame.hwnd);
      Pump();
      times.refresh = NowMs() - start;
      for (TableControlBase* table : host.Tables()) times.records += table->RecordCount();

      // Filling alone: every list takes its records again (new age marks
      // make each one rebuild its rows), painted.
      start = NowMs();
      for (TableControlBase* table : host.Tables()) table->SetAgeMarks({});
      UpdateWindow(frame.hwnd);
      Pump();
      times.fill = NowMs() - start;

      // The largest table on show, sorted by name as a header click does.
      TableControlBase* largest = host.Tables().front();
      for (TableControlBase* table : host.Tables())
        if (table->RecordCount() > largest->RecordCount()) largest = table;
      host.ShowTable(largest->ID());
      UpdateWindow(frame.hwnd);
      Pump();
      start = NowMs();
      largest->List().SortByColumn(0);
      UpdateWindow(frame.hwnd);
      Pump();
      times.sort = NowMs() - start;

      // A keystroke in the filter box: every table filters.
      start = NowMs();
      host.SetFilter(L"7");
      UpdateWindow(frame.hwnd);
      Pump();
      times.filter = NowMs() - start;
      host.SetFilter(L"");

      // The start's inventory: one earlier, then the timed save and compare.
      StartInventory().SaveAndCompare(data, host.Tables());
      Sleep(1100);  // the next inventory's name is a second later
      start = NowMs();
      StartInventory().SaveAndCompare(data, host.Tables());
      times.inventory = NowMs() - start;
      elapsed = times;
    }
  }
  Pump();
  return elapsed;
}

}  // namespace bench
