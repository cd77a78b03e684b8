#include "ui/main/TableHost.h"

#include <string>
#include <utility>
#include <vector>

#include "core/ErrorReport.h"
#include "ozcore/CParams.h"
#include "ui/main/DetailsPane.h"
#include "engine/kinds/AddonKinds.h"
#include "ui/tables/ListedSystem.h"
#include "ui/tables/TableControlBase.h"
#include "ui/tables/TableFactory.h"
#include "ui/widgets/WidgetWindow.h"

namespace {
constexpr wchar_t kClassName[] = L"QuillmoorTableHost";
}  // namespace

struct TableHost::Impl final : WidgetWindow {
  explicit Impl(ListedSystem& listed) : system(listed) {}
  ~Impl() override {
    // The tables' windows are ours: they go first, while we still answer.
    controls.clear();
    DestroyWidget();
  }

  // One table per kind, in kind order, made with the window.
  std::vector<std::unique_ptr<TableControlBase>> controls;
  // Set by Init: until then no table is shown or found.
  bool initialised = false;
  std::int32_t currentId = 0;
  DetailsPane* details = nullptr;
  ListedSystem& system;
  std::wstring filter;
  std::function<void()> rowsChanged;

  bool Create(HWND parent) {
    if (!CreateWidget(kClassName, parent, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)) return false;
    for (const auto& kind : discovery::AddonKinds()) controls.push_back(MakeTable(kind.id, system));
    for (auto& control : controls)
      if (!control->Create(Hwnd())) return false;
    return true;
  }

  TableControlBase* Find(std::int32_t id) const {
    if (!initialised) return nullptr;
    for (const auto& table : controls)
      if (table->ID() == id) return table.get();
    return nullptr;
  }

  void Resize() {
    if (!initialised) return;
    const RECT client = ClientRect();
    for (const auto& table : controls) MoveWindow(table->Hwnd(), 0, 0, client.right, client.bottom, TRUE);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SIZE:
        Resize();
        return 0;
      case WM_SETFOCUS:
        // Keyboard focus goes on to the table on show.
        if (TableControlBase* shown = Find(currentId)) SetFocus(shown->Hwnd());
        return 0;
      case WM_ERASEBKGND:
        // A table covers the window; with none on show, the window's colour.
        if (!Find(currentId)) {
          const RECT client = ClientRect();
          FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
        }
        return 1;
      default:
        break;
    }
    return Default(message, wParam, lParam);
  }
};

TableHost::TableHost(ListedSystem& system) : impl_(std::make_unique<Impl>(system)) {}
TableHost::~TableHost() = default;

bool TableHost::Create(HWND parent) { return impl_->Create(parent); }
HWND TableHost::Hwnd() const { return impl_->Hwnd(); }

void TableHost::Init(DetailsPane* details, PopupMenu* contextMenu) {
  Impl& d = *impl_;
  d.details = details;
  d.initialised = true;
  d.Resize();
  DetailsSink showDetails;
  if (details) showDetails = [details](const CParams& shown) { details->ShowDetails(shown); };
  // Each table lists as it is initialised: from one reading of the system.
  const ListedSystem::SharedReading reading(d.system);
  for (const auto& table : d.controls) {
    table->rowsChanged = [&d] {
      if (d.rowsChanged) d.rowsChanged();
    };
    table->Init(showDetails, contextMenu);
  }
  ShowTable(discovery::AddonKinds().front().id);
}

void TableHost::ShowTable(std::int32_t id) {
  Impl& d = *impl_;
  d.currentId = id;
  // Focus in a table that is about to hide moves on to the one shown.
  const HWND focus = GetFocus();
  const bool hadFocus = focus && IsChild(d.Hwnd(), focus);
  TableControlBase* shown = nullptr;
  for (const auto& table : d.controls) {
    if (!d.initialised) break;
    const bool visible = table->ID() == d.currentId;
    ShowWindow(table->Hwnd(), visible ? SW_SHOWNA : SW_HIDE);
    if (visible) shown = table.get();
  }
  if (hadFocus && shown && !IsChild(shown->Hwnd(), GetFocus())) SetFocus(shown->Hwnd());
  if (shown && !shown->ShowDetails() && d.details) d.details->ShowDetails(CParams());
  if (!shown) InvalidateRect(d.Hwnd(), nullptr, TRUE);
}

ITableControl* TableHost::CurrentTable() { return impl_->Find(impl_->currentId); }

void TableHost::RefreshTables() {
  const ProcedureName procedure(L"FMultitable", L"RefreshTables");
  if (impl_->initialised) {
    const ListedSystem::SharedReading reading(impl_->system);
    for (const auto& table : impl_->controls) table->RefreshList();
  }
  ShowTable(impl_->currentId);
}

void TableHost::SetFilter(const std::wstring& text) {
  Impl& d = *impl_;
  if (text == d.filter) return;
  d.filter = text;
  for (const auto& control : d.controls) control->SetFilter(text);
}

const std::wstring& TableHost::Filter() const { return impl_->filter; }

void TableHost::CallWhenRowsChange(std::function<void()> changed) { impl_->rowsChanged = std::move(changed); }

std::vector<TableControlBase*> TableHost::Tables() {
  std::vector<TableControlBase*> tables;
  for (const auto& control : impl_->controls) tables.push_back(control.get());
  return tables;
}

std::int32_t TableHost::CurrentId() const { return impl_->currentId; }

ITableControl* TableHost::Table(std::int32_t id) {
  for (const auto& control : impl_->controls)
    if (control->ID() == id) return control.get();
  return nullptr;
}
