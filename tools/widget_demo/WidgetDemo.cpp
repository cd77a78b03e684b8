// A window built from our own controls with the program's commands and
// images, for looking at under Wine or on Windows. Not shipped.
//   widget_demo [--dpi=144] [--open-menu] [--context-menu]
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>

#include "ui/main/CommandTable.h"
#include "ui/widgets/CaptionBar.h"
#include "ui/widgets/DockPanes.h"
#include "ui/widgets/ImageStore.h"
#include "ui/widgets/PopupMenu.h"
#include "ui/widgets/PropertyGrid.h"
#include "ui/widgets/Ribbon.h"

namespace {

constexpr wchar_t kMainClass[] = L"QuillmoorWidgetDemo";
constexpr wchar_t kHostClass[] = L"QuillmoorWidgetDemoPane";

// A pane's content: a caption bar over one control.
struct PaneHost {
  HWND hwnd = nullptr;
  CaptionBar caption;
  HWND body = nullptr;
};

LRESULT CALLBACK PaneHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<PaneHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_SIZE && host && host->caption.Hwnd()) {
    const int width = LOWORD(lParam), height = HIWORD(lParam);
    const int bar = host->caption.PreferredHeight();
    MoveWindow(host->caption.Hwnd(), 0, 0, width, bar, TRUE);
    if (host->body) MoveWindow(host->body, 0, bar, width, height - bar, TRUE);
    return 0;
  }
  if (message == WM_NOTIFY || message == WM_CONTEXTMENU) {
    return SendMessageW(GetParent(hwnd), message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Demo {
  ImageStore images;
  Ribbon ribbon;
  DockPanes panes;
  PaneHost tree, table;
  PropertyGrid grid;
  PopupMenu context;
  UniqueImageList treeImages, rowImages;
  UINT dpi = 0;
  HWND main = nullptr;
  HWND list = nullptr;
  bool openMenu = false, openContext = false;

  void LoadImages() {
    const HMODULE self = GetModuleHandleW(nullptr);
    Commands::LoadCommandImages(images, self);
    for (int id : {1200, 1201}) images.AddImage(id, self, id);
  }

  HWND MakePane(PaneHost& host, const wchar_t* caption) {
    host.hwnd = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10, main,
                                nullptr, nullptr, nullptr);
    SetWindowLongPtrW(host.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
    host.caption.Create(host.hwnd, 1, caption);
    if (dpi) host.caption.SetDpiOverride(dpi);
    return host.hwnd;
  }

  void Build() {
    ribbon.Create(main, 100);
    SetWindowTextW(ribbon.Hwnd(), L"The Ribbon");
    if (dpi) ribbon.SetDpiOverride(dpi);
    ribbon.SetImageSource([this](int id, int size) { return images.Bitmap(id, size); });
    ribbon.SetModel(Commands::BuildRibbonModel());

    panes.Create(main, 101);
    if (dpi) panes.SetDpiOverride(dpi);
    const int icon = dpi ? MulDiv(16, static_cast<int>(dpi), 96) : 16;

    MakePane(tree, L"All Add-ons");
    tree.body = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT |
                                    TVS_SHOWSELALWAYS | TVS_FULLROWSELECT,
                                0, 0, 10, 10, tree.hwnd, nullptr, nullptr, nullptr);
    treeImages.reset(ImageList_Create(icon, icon, ILC_COLOR32, 1, 1));
    ImageList_Add(treeImages.get(), images.Bitmap(1201, icon), nullptr);
    TreeView_SetImageList(tree.body, treeImages.get(), TVSIL_NORMAL);
    const wchar_t* kinds[] = {L"Toolbars", L"Toolbar Buttons and Menus", L"Context Menu Extensions",
                              L"Explorer Bars", L"Browser Helper Objects"};
    HTREEITEM first = nullptr;
    for (const wchar_t* kind : kinds) {
      TVINSERTSTRUCTW item{};
      item.hInsertAfter = TVI_LAST;
      item.item.mask = TVIF_TEXT;
      item.item.pszText = const_cast<wchar_t*>(kind);
      HTREEITEM h = TreeView_InsertItem(tree.body, &item);
      if (!first) first = h;
    }
    TreeView_SelectItem(tree.body, first);

    MakePane(table, L"Toolbars");
    list = table.body = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS |
                                            LVS_SINGLESEL,
                                        0, 0, 10, 10, table.hwnd, nullptr, nullptr, nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    rowImages.reset(ImageList_Create(icon, icon, ILC_COLOR32, 1, 1));
    ImageList_Add(rowImages.get(), images.Bitmap(1200, icon), nullptr);
    ListView_SetImageList(list, rowImages.get(), LVSIL_SMALL);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = dpi ? MulDiv(420, static_cast<int>(dpi), 96) : 420;
    column.pszText = const_cast<wchar_t*>(L"Toolbar");
    ListView_InsertColumn(list, 0, &column);
    const wchar_t* rows[] = {L"Contoso Search Toolbar", L"Fabrikam Shopping Assistant", L"Northwind Weather Bar"};
    for (int i = 0; i < 3; ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE;
      item.iItem = i;
      item.pszText = const_cast<wchar_t*>(rows[i]);
      ListView_InsertItem(list, &item);
    }
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    grid.Create(main, 102);
    if (dpi) grid.SetDpiOverride(dpi);
    grid.SetCopyCaption(L"&Copy");
    grid.SetCategory(L"Details");
    grid.AddRow(L"File", L"C:\\Program Files\\Contoso\\Toolbar\\ctsearch.dll");
    grid.AddRow(L"Manufacturer", L"Contoso Ltd.");
    grid.AddRow(L"Affected users", L"Everyone");

    panes.SetPane(DockPanes::kLeftPane, L"All Browser Objects", tree.hwnd);
    panes.SetPane(DockPanes::kMainPane, L"Table", table.hwnd);
    panes.SetPane(DockPanes::kBottomPane, L"Properties", grid.Hwnd());

    const int menuIcon = dpi ? MulDiv(32, static_cast<int>(dpi), 96) : 32;
    const int smallIcon = dpi ? MulDiv(16, static_cast<int>(dpi), 96) : 16;
    context.AddItem(7001, L"&Delete", images.Bitmap(7001, menuIcon));
    context.AddSeparator();
    context.AddItem(7003, L"Google File Name", images.Bitmap(7003, menuIcon));
    context.AddItem(7004, L"Google Add-on Name", images.Bitmap(7004, menuIcon));
    context.AddSeparator();
    context.AddItem(7002, L"&Properties", images.Bitmap(7002, smallIcon));
    Layout();
  }

  void Layout() {
    const RECT free = ribbon.DockToParent();
    MoveWindow(panes.Hwnd(), free.left, free.top, free.right - free.left, free.bottom - free.top, TRUE);
  }

  void ShowContextMenu(LPARAM lParam) {
    RECT row{};
    ListView_GetItemRect(list, std::max(0, ListView_GetNextItem(list, -1, LVNI_SELECTED)), &row, LVIR_LABEL);
    POINT at{row.left + 8, row.bottom};
    MapWindowPoints(list, main, &at, 1);
    context.ShowForContextMenu(main, lParam, at);
  }
};

Demo* gDemo = nullptr;

VARIANT ChildOne() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = 1;
  return v;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (gDemo && gDemo->ribbon.Hwnd()) gDemo->Layout();
      return 0;
    case WM_NOTIFY:
      if (gDemo && reinterpret_cast<NMHDR*>(lParam)->code == Ribbon::kNotifyHeightChanged) gDemo->Layout();
      return 0;
    case WM_CONTEXTMENU:
      if (gDemo && reinterpret_cast<HWND>(wParam) == gDemo->list) gDemo->ShowContextMenu(lParam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == 6008) DestroyWindow(hwnd);
      return 0;
    case WM_TIMER:
      KillTimer(hwnd, wParam);
      if (gDemo && gDemo->openMenu) gDemo->ribbon.Accessible()->accDoDefaultAction(ChildOne());
      if (gDemo && gDemo->openContext) gDemo->ShowContextMenu(-1);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  const wchar_t* commandLine = GetCommandLineW();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&icc);
  {
    Demo demo;
    gDemo = &demo;
    const std::wstring args = commandLine ? commandLine : L"";
    if (args.find(L"--dpi=144") != std::wstring::npos) demo.dpi = 144;
    demo.openMenu = args.find(L"--open-menu") != std::wstring::npos;
    demo.openContext = args.find(L"--context-menu") != std::wstring::npos;
    demo.LoadImages();

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = PaneHostProc;
    wc.lpszClassName = kHostClass;
    wc.hbrBackground = nullptr;
    RegisterClassExW(&wc);

    const int scale = demo.dpi ? static_cast<int>(demo.dpi) : 96;
    RECT r{0, 0, MulDiv(963, scale, 96), MulDiv(501, scale, 96) + MulDiv(121, scale, 96)};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    demo.main = CreateWindowExW(0, kMainClass, L"   Quillmoor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 10, 10,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    demo.Build();
    ShowWindow(demo.main, show);
    if (demo.openMenu || demo.openContext) SetTimer(demo.main, 1, 1500, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (demo.ribbon.TakeKeyBeforeDispatch(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    gDemo = nullptr;
  }
  CoUninitialize();
  return 0;
}
