#include "ui/main/DetailsPane.h"

#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "ozcore/CParams.h"
#include "ui/widgets/PropertyGrid.h"
#include "ui/widgets/WidgetWindow.h"

namespace {
constexpr wchar_t kClassName[] = L"QuillmoorDetailsPane";
constexpr int kGridId = 1;
constexpr double kDividerFraction = 0.2;
}  // namespace

struct DetailsPane::Impl final : WidgetWindow {
  PropertyGrid grid;

  ~Impl() override { DestroyWidget(); }

  bool Create(HWND parent) {
    return CreateWidget(kClassName, parent, 0, WS_CHILD | WS_CLIPCHILDREN) && grid.Create(Hwnd(), kGridId);
  }

  void Layout() {
    const RECT client = ClientRect();
    if (grid.Hwnd()) MoveWindow(grid.Hwnd(), 0, 0, client.right, client.bottom, TRUE);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SIZE:
        Layout();
        return 0;
      case WM_SETFOCUS:
        if (grid.Hwnd()) SetFocus(grid.Hwnd());
        return 0;
      case WM_ERASEBKGND:
        return 1;  // the grid covers the window
      default:
        return Default(message, wParam, lParam);
    }
  }
};

DetailsPane::DetailsPane() : impl_(std::make_unique<Impl>()) {}
DetailsPane::~DetailsPane() = default;

bool DetailsPane::Create(HWND parent) {
  if (!impl_->Create(parent)) return false;
  impl_->Layout();
  return true;
}

HWND DetailsPane::Hwnd() const { return impl_->Hwnd(); }

PropertyGrid& DetailsPane::Grid() { return impl_->grid; }

int DetailsPane::HeightFor(int rows) const {
  const PropertyGrid& grid = impl_->grid;
  const int dpi = grid.Hwnd() ? static_cast<int>(GetDpiForWindow(grid.Hwnd())) : 96;
  // The heading's line, the rows, and the border.
  const int pixels = grid.LineHeight() * (rows + 1) + MulDiv(4, dpi, 96);
  return MulDiv(pixels, 96, dpi > 0 ? dpi : 96);
}

void DetailsPane::Init() {
  PropertyGrid& grid = impl_->grid;
  grid.Clear();
  grid.SetCategory(LoadStr(IDS_DETAILS_HEADING));
  grid.SetExpanded(true);
  grid.SetDividerFraction(kDividerFraction);
  grid.SetCopyCaption(LoadStr(IDS_DETAILS_COPY));
}

void DetailsPane::ShowDetails(const CParams& details) {
  const ProcedureName procedure(L"FProperties", L"ShowDetails");
  PropertyGrid& grid = impl_->grid;
  grid.Clear();
  for (std::size_t position = 1; position <= details.Count(); ++position) {
    const CParam* entry = details.At(position);
    if (!entry || entry->ValueCount() == 0)
      throw QlmError(5, L"FProperties.ShowDetails", L"Invalid procedure call or argument");
    grid.AddRow(entry->Key(), entry->Text());
  }
}
