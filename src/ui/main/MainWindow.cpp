#include "ui/main/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/ProgramResources.h"
#include "core/ErrorReport.h"
#include "ui/dialogs/MessageOwner.h"
#include "core/Strings.h"
#include "backup/RegistryBackup.h"
#include "ui/main/CommandDispatch.h"
#include "ui/main/CommandTable.h"
#include "ui/main/TableHost.h"
#include "ui/main/DetailsPane.h"
#include "ui/main/CategoryTree.h"
#include "ui/tables/TableControlBase.h"
#include "ui/tables/ITableControl.h"
#include "ui/widgets/PropertyGrid.h"
#include "engine/text/VisibleText.h"
#include "ozcore/FormatText.h"

namespace {

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(std::max(0, length)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}


const wchar_t kClassName[] = L"QuillmoorMainWindow";

// "Offline: ROOT" while an offline system is shown; empty for this computer.
std::wstring OfflineText(const ListedSystem& system) {
  return system.Offline()
             ? formattext::Format(LoadStr(IDS_OFFLINE_SHOWN), {discovery::text::VisibleText(system.Root())})
             : std::wstring();
}

std::wstring CaptionOf(const ListedSystem& system) {
  const std::wstring offline = OfflineText(system);
  return L"   " + (offline.empty() ? LoadStr(IDS_PRODUCT_NAME) : offline + L" - " + LoadStr(IDS_PRODUCT_NAME));
}

// The status bar's word on the system: offline, with how many of its hives
// were not closed cleanly.
std::wstring SystemStatus(const ListedSystem& system) {
  const std::wstring offline = OfflineText(system);
  const engine::OfflineReport* report = system.Report();
  if (!report) return offline;
  const auto dirty = std::count_if(report->hives.begin(), report->hives.end(),
                                   [](const engine::OfflineHive& hive) { return hive.dirty; });
  return dirty == 0 ? offline
                    : formattext::Format(LoadStr(IDS_OFFLINE_DIRTY_STATUS), {offline, std::to_wstring(dirty)});
}

}  // namespace

MainWindow::MainWindow(FileResolver& files, core::DataFolder data)
    : dispatch_(std::make_unique<CommandDispatch>(*this)),
      shell_(MainShell::System()),
      files_(files),
      system_(files),
      data_(std::move(data)) {}

MainWindow::~MainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

// ---- Life ---------------------------------------------------------------

void MainWindow::RunUntilClosed() {
  exit_ = false;
  if (Open()) RunMessageLoop();
  Destroy();
}

bool MainWindow::Open() {
  if (hwnd_) return true;
  if (!CreateFrame()) return false;
  // Opening is an edge of its own: an error ends it where it happens; the
  // window is then destroyed, so that RunUntilClosed returns and the
  // program ends.
  if (!CatchAtEdge(L"FMain", L"Load", kLevelError, [&] { BuildContent(); })) return false;
  ShowWindow(hwnd_, PlaceAtStart());
  UpdateWindow(hwnd_);
  if (tree_ && tree_->Hwnd()) SetFocus(tree_->TreeHwnd() ? tree_->TreeHwnd() : tree_->Hwnd());
  return true;
}

void MainWindow::BuildContent() {
  LoadImagesAndTips();
  BuildCommandBars();
  BuildPanes();
  // Messages sit over the table the commands act on, however they started.
  dialogs::SetMessageOwner({hwnd_, &images_, [this] { return ShownTable() ? ShownTable()->Hwnd() : nullptr; }});
  std::wstring backup;
  if (RegistryBackup::BackupRegistry(data_, &backup)) lastBackup_ = {backup, true};
  UpdateStatus();
  CompareWithLastStart();
}

void MainWindow::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::RunMessageLoop() {
  MSG msg;
  while (!exit_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Someone asked the thread to quit: leave, and let the caller see it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (TakeKeyBeforeDispatch(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MainWindow::TakeKeyBeforeDispatch(const MSG& msg) {
  return ListKeys(msg) || (ribbon_.Hwnd() && ribbon_.TakeKeyBeforeDispatch(msg)) || CyclePaneFocus(msg);
}

bool MainWindow::ListKeys(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
  const HWND filter = FilterBox();
  if (alt) return false;
  if ((control && msg.wParam == 'F') || (!control && msg.wParam == VK_F3)) {
    if (!filter) return false;
    SetFocus(filter);
    SendMessageW(filter, EM_SETSEL, 0, -1);
    return true;
  }
  if (control && msg.wParam == 'S') {
    RunCommand(Commands::kSaveList);
    return true;
  }
  // Outside the filter box, where Ctrl+D and Ctrl+E are no editing keys.
  if (control && (msg.wParam == 'D' || msg.wParam == 'E') && msg.hwnd != filter) {
    RunCommand(msg.wParam == 'D' ? Commands::kTurnOff : Commands::kTurnOn);
    return true;
  }
  if (!control && msg.wParam == VK_ESCAPE && filter && msg.hwnd == filter) {
    SetWindowTextW(filter, L"");
    return true;
  }
  // F5 and Enter as in the system's own tools: refresh, and the selected
  // add-on's file properties from its list.
  if (control || GetKeyState(VK_SHIFT) < 0) return false;
  if (msg.wParam == VK_F5) {
    RunCommand(Commands::kRefresh);
    return true;
  }
  if (msg.wParam == VK_RETURN && IsAddonList(msg.hwnd)) {
    RunCommand(Commands::kFileProperties);
    return true;
  }
  return false;
}

bool MainWindow::IsAddonList(HWND window) {
  if (!window) return false;
  for (TableControlBase* table : Lists())
    if (table->ListHwnd() == window) return true;
  return false;
}

bool MainWindow::CyclePaneFocus(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_F6 || !hwnd_ || !IsChild(hwnd_, msg.hwnd)) return false;
  if (!tree_ || !host_ || !details_) return false;
  HWND table = nullptr;
  if (ITableControl* current = host_->CurrentTable()) {
    // The table's list, the first child that takes the focus.
    table = current->Hwnd();
    for (HWND child = GetWindow(table, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t name[64] = {};
      GetClassNameW(child, name, 64);
      if (lstrcmpiW(name, WC_LISTVIEWW) == 0) table = child;
    }
  }
  const HWND panes[] = {tree_->TreeHwnd() ? tree_->TreeHwnd() : tree_->Hwnd(), table, details_->Grid().Hwnd()};
  int at = -1;
  for (int i = 0; i < 3; ++i)
    if (panes[i] && (panes[i] == msg.hwnd || IsChild(panes[i], msg.hwnd))) at = i;
  const int step = GetKeyState(VK_SHIFT) < 0 ? 2 : 1;
  for (int tries = 0, i = at; tries < 3; ++tries) {
    i = (i + step + 3) % 3;
    if (panes[i] && IsWindowVisible(panes[i])) {
      SetFocus(panes[i]);
      break;
    }
  }
  return true;
}

bool MainWindow::RegisterClassOnce() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &MainWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  // The program's icon: its File image, as big and small icons (none: the
  // system's default one). The class keeps them for the life of the process.
  wc.hIcon =
      ImageStore::LoadPngIcon(instance, 1001, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)).release();
  wc.hIconSm =
      ImageStore::LoadPngIcon(instance, 1001, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)).release();
  return RegisterClassExW(&wc) != 0;
}

bool MainWindow::CreateFrame() {
  if (!RegisterClassOnce()) return false;
  const std::wstring title = CaptionOf(system_);
  hwnd_ = CreateWindowExW(0, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

void MainWindow::LoadImagesAndTips() {
  ProgramResources program;
  program.Init(ProgramResources::ProgramFile());
  Commands::LoadCommandImages(images_, program.hModule());
}

void MainWindow::BuildCommandBars() {
  if (!ribbon_.Create(hwnd_, kRibbonId)) throw QlmError(-1, L"FMain", L"The ribbon could not be created");
  SetWindowTextW(ribbon_.Hwnd(), LoadStr(IDS_RIBBON_CAPTION).c_str());
  ribbon_.SetImageSource([this](int id, int size) { return Commands::CommandBitmap(images_, id, size); });
  ribbon_.SetModel(Commands::BuildRibbonModel());
  Commands::BuildContextMenu(contextMenu_, images_, Dpi());
}

void MainWindow::BuildPanes() {
  if (!panes_.Create(hwnd_, kPanesId)) throw QlmError(-1, L"FMain", L"The panes could not be created");
  if (!status_.Create(hwnd_, kStatusId)) throw QlmError(-1, L"FMain", L"The status bar could not be created");
  panes_.SetLeftWidth(kTreeWidth);

  tree_ = std::make_unique<CategoryTree>();
  tree_->ShowTable = [this](std::int32_t id) { ShowCategory(id); };
  host_ = std::make_unique<TableHost>(system_);
  details_ = std::make_unique<DetailsPane>();
  if (!tree_->Create(panes_.Hwnd()) || !host_->Create(panes_.Hwnd()) || !details_->Create(panes_.Hwnd()))
    throw QlmError(-1, L"FMain", L"The pane windows could not be created");
  details_->Init();
  // Tall enough for every row a record can have, at the first size.
  const int title96 = MulDiv(panes_.TitleHeight(), 96, static_cast<int>(Dpi()));
  panes_.SetBottomHeight(std::max(kDetailsHeight, details_->HeightFor(DetailsPane::kMostRows) + title96));

  panes_.SetPane(DockPanes::kLeftPane, LoadStr(IDS_PANE_TREE), tree_->Hwnd());
  panes_.SetPane(DockPanes::kMainPane, LoadStr(IDS_PANE_TABLE), host_->Hwnd());
  panes_.SetPane(DockPanes::kBottomPane, LoadStr(IDS_PANE_PROPERTIES), details_->Hwnd());
  Layout();
  host_->CallWhenRowsChange([this] { UpdateStatus(); });
  host_->Init(details_.get(), FindContextMenu(Commands::kContextMenu));
  for (TableControlBase* table : host_->Tables()) table->SetDataFolder(data_);
  UpdateStatus();
}

PopupMenu* MainWindow::FindContextMenu(int id) { return id == Commands::kContextMenu ? &contextMenu_ : nullptr; }

void MainWindow::ShowCategory(std::int32_t id) {
  if (host_) host_->ShowTable(id);
}

ITableControl* MainWindow::ShownTable() { return host_ ? host_->CurrentTable() : nullptr; }

std::vector<TableControlBase*> MainWindow::Lists() { return host_ ? host_->Tables() : std::vector<TableControlBase*>{}; }

HWND MainWindow::FilterBox() const { return ribbon_.Hwnd() ? ribbon_.SearchBox(Commands::kFilterBox) : nullptr; }

void MainWindow::BackupWritten(const std::wstring& path) {
  lastBackup_ = {path, false};
  UpdateStatus();
}

void MainWindow::CompareWithLastStart() {
  if (!host_) return;
  inventory_.SaveAndCompare(data_, host_->Tables());
  if (!inventory_.Compared()) return;
  inventory_.MarkTables(host_->Tables());
  if (host_->CurrentTable()) host_->CurrentTable()->ShowDetails();
}

void MainWindow::UpdateStatus() {
  if (host_) status_.ShowLists(host_->Tables(), !host_->Filter().empty(), lastBackup_, SystemStatus(system_));
}

void MainWindow::UpdateCaption() {
  if (hwnd_) SetWindowTextW(hwnd_, CaptionOf(system_).c_str());
}

void MainWindow::AnswerNotification(const NMHDR& header) {
  if (header.code == Ribbon::kNotifyHeightChanged) {
    Layout();
    return;
  }
  // A click on the last backup opens its folder.
  if (header.hwndFrom == status_.Hwnd() && header.code == NM_CLICK && !lastBackup_.path.empty()) {
    const auto& mouse = reinterpret_cast<const NMMOUSE&>(header);
    if (status_.PartAt(mouse.pt) != StatusBar::kBackupPart) return;
    const ProcedureName procedure(L"FMain", L"OpenBackupFolder");
    const std::wstring& path = lastBackup_.path;
    const std::size_t slash = path.find_last_of(L'\\');
    shell_.openFolder(path.substr(0, slash == std::wstring::npos ? 0 : slash + 1), hwnd_);
  }
}

void MainWindow::RefreshTables() {
  // An offline system may have changed on its disk since it was read.
  system_.Reread();
  // Each table's new rows bring the status bar up to date.
  if (host_) host_->RefreshTables();
}

void MainWindow::SystemChanged() {
  if (!host_) return;
  host_->RefreshTables();
  // What is new since the last start is about this computer only.
  if (system_.Offline()) {
    for (TableControlBase* table : host_->Tables()) table->SetAgeMarks({});
  } else if (inventory_.Compared()) {
    inventory_.MarkTables(host_->Tables());
  }
  if (host_->CurrentTable()) host_->CurrentTable()->ShowDetails();
  UpdateCaption();
  UpdateStatus();
}

void MainWindow::RunCommand(int commandId) { dispatch_->Run(commandId); }

void MainWindow::SetBusy(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

// ---- Messages -----------------------------------------------------------

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  // The window's one catch: a failure is logged and the message gets its
  // default handling.
  LRESULT result = 0;
  if (!CatchAtEdge(L"FMain", L"WindowProc", kLevelError,
                   [&] { result = self->HandleMessage(message, wParam, lParam); }))
    result = DefWindowProcW(hwnd, message, wParam, lParam);
  return result;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      NoteNormalPlace();
      Layout();
      return 0;
    case WM_MOVE:
      NoteNormalPlace();
      return 0;
    case WM_NOTIFY:
      AnswerNotification(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_DPICHANGED:
      FollowDpiChange(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE least = MinWindowSize();
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {least.cx, least.cy};
      return 0;
    }
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      KeepFocusOverActivation(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_COMMAND:
      RouteCommand(wParam, lParam);
      return 0;
    case WM_CLOSE:
      // Never refused: the run loop destroys the window.
      exit_ = true;
      return 0;
    case WM_DESTROY:
      EndAndDestroyPanes();
      return 0;
    case WM_NCDESTROY: {
      const HWND hwnd = hwnd_;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::KeepFocusOverActivation(bool active) {
  // Keeps the keyboard focus where the user left it.
  if (!active) {
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
  } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_)) {
    SetFocus(lastFocus_);
  }
}

void MainWindow::RouteCommand(WPARAM wParam, LPARAM lParam) {
  // Menus send no window; the ribbon sends itself. Notifications of child
  // controls are not commands.
  const HWND from = reinterpret_cast<HWND>(lParam);
  // The filter's text box: every change filters the lists.
  if (LOWORD(wParam) == Commands::kFilterBox && HIWORD(wParam) == EN_CHANGE && from && from == FilterBox()) {
    if (host_) host_->SetFilter(WindowText(from));
    return;
  }
  if (HIWORD(wParam) != 0 && HIWORD(wParam) != 1) return;
  if (from && from != ribbon_.Hwnd()) return;
  RunCommand(LOWORD(wParam));
}

void MainWindow::EndAndDestroyPanes() {
  exit_ = true;
  RememberPlace();
  dialogs::ClearMessageOwner(hwnd_);
  // Tree, table host, details: each window goes before the next.
  if (tree_) {
    if (tree_->Hwnd()) DestroyWindow(tree_->Hwnd());
    tree_.reset();
  }
  if (host_) {
    if (host_->Hwnd()) DestroyWindow(host_->Hwnd());
    host_.reset();
  }
  if (details_) {
    if (details_->Hwnd()) DestroyWindow(details_->Hwnd());
    details_.reset();
  }
}
