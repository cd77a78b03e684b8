#include "ui/tables/AddonList.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "ozcore/CaseFold.h"
#include "ui/tables/ColumnFit.h"
#include "ui/tables/TableText.h"
#include "ui/widgets/TextFit.h"
#include "ui/widgets/WidgetWindow.h"

namespace {

// Ids of the header menu's items: the column index after this base.
constexpr UINT kColumnItemBase = 1;

// At 96 DPI: what a header item needs beside its caption (the margins and
// the sort arrow), what a cell needs beside its text, the narrowest a name
// column gets, and how many of a column's longest texts are measured.
constexpr int kCaptionMargins = 24;
constexpr int kCellMargins = 16;
constexpr int kNameMinimum = 140;
constexpr std::size_t kLongestKept = 8;

}  // namespace

bool AddonList::Create(HWND parent, int controlId, const std::wstring& accessibleName) {
  list_ = CreateWindowExW(0, WC_LISTVIEWW, accessibleName.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!list_) return false;
  SetWindowTheme(list_, L"Explorer", nullptr);
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  return true;
}

void AddonList::SetColumns(std::vector<Column> columns) {
  columns_ = std::move(columns);
  shown_.assign(columns_.size(), true);
  RebuildColumns();
}

bool AddonList::ColumnShown(std::size_t column) const { return column < shown_.size() && shown_[column]; }

void AddonList::ShowColumn(std::size_t column, bool shown) {
  if (column >= columns_.size() || columns_[column].name || shown_[column] == shown) return;
  shown_[column] = shown;
  RebuildColumns();
}

void AddonList::RebuildColumns() {
  if (!list_) return;
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  while (SendMessageW(list_, LVM_DELETECOLUMN, 0, 0)) {
  }
  listColumns_.clear();
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!shown_[i]) continue;
    std::wstring text = columns_[i].caption;
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = 100;
    SendMessageW(list_, LVM_INSERTCOLUMNW, listColumns_.size(), reinterpret_cast<LPARAM>(&column));
    listColumns_.push_back(i);
  }
  UpdateSortArrows();
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

std::size_t AddonList::ColumnOfListColumn(int listColumn) const {
  return listColumn >= 0 && static_cast<std::size_t>(listColumn) < listColumns_.size()
             ? listColumns_[static_cast<std::size_t>(listColumn)]
             : columns_.size();
}

void AddonList::UpdateSortArrows() {
  const HWND header = list_ ? ListView_GetHeader(list_) : nullptr;
  if (!header) return;
  for (std::size_t i = 0; i < listColumns_.size(); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, static_cast<int>(i), &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (view_.SortColumn() >= 0 && listColumns_[i] == static_cast<std::size_t>(view_.SortColumn()))
      item.fmt |= view_.Ascending() ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, static_cast<int>(i), &item);
  }
}

void AddonList::SetRecords(std::vector<std::vector<std::wstring>> cells, const std::vector<std::wstring>& searchText,
                           std::vector<bool> isNew) {
  isNew_ = std::move(isNew);
  isNew_.resize(cells.size(), false);
  view_.Reset(std::move(cells), searchText);
  NoteLongestTexts();
  SetItemCount();
  if (dpi_) LayoutColumns(dpi_);
}

void AddonList::NoteLongestTexts() {
  longest_.assign(columns_.size(), {});
  std::vector<const std::wstring*> texts;
  for (std::size_t column = 0; column < columns_.size(); ++column) {
    if (columns_[column].name) continue;
    texts.clear();
    for (std::size_t record = 0; record < view_.RecordCount(); ++record) texts.push_back(&view_.Cell(record, column));
    const std::size_t kept = std::min(kLongestKept, texts.size());
    std::partial_sort(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(kept), texts.end(),
                      [](const std::wstring* a, const std::wstring* b) { return a->size() > b->size(); });
    for (std::size_t i = 0; i < kept; ++i) longest_[column].push_back(*texts[i]);
  }
}

void AddonList::SetPlaceholders(std::vector<std::wstring> noRecords, std::wstring noMatch) {
  noRecords_ = std::move(noRecords);
  noMatch_ = std::move(noMatch);
}

void AddonList::SetItemCount() {
  if (!list_) return;
  // Old row numbers mean nothing for the new rows. Only the rows that have
  // a state lose it: a change of every row's state (row -1) costs a
  // notification per row in some list views.
  for (const UINT which : {LVNI_SELECTED, LVNI_FOCUSED}) {
    const int row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), which));
    if (row < 0) continue;
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&none));
  }
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(RowCount()), 0);
  InvalidateRect(list_, nullptr, TRUE);
}

template <typename Change>
void AddonList::KeepSelection(Change&& change) {
  const std::optional<std::size_t> selected = RecordOfRow(SelectedRow());
  change();
  SetItemCount();
  if (!selected) return;
  const int row = view_.RowOf(*selected);
  if (row >= 0) {
    SelectRow(row);
    EnsureVisible(row);
  }
}

void AddonList::SetFilter(const std::wstring& text) {
  KeepSelection([&] { view_.SetFilter(text); });
}

void AddonList::SortByColumn(std::size_t column) {
  if (column >= columns_.size()) return;
  const bool same = view_.SortColumn() == static_cast<int>(column);
  KeepSelection([&] { view_.SortBy(static_cast<int>(column), same ? !view_.Ascending() : true); });
  UpdateSortArrows();
}

std::size_t AddonList::NewCount() const { return static_cast<std::size_t>(std::count(isNew_.begin(), isNew_.end(), true)); }

int AddonList::RowCount() const {
  if (ShowsPlaceholder()) return listingFailed_ ? 0 : 1;
  return static_cast<int>(ShownCount());
}

void AddonList::SetListingFailed(bool failed) {
  if (listingFailed_ == failed) return;
  listingFailed_ = failed;
  SetItemCount();
}

std::optional<std::size_t> AddonList::RecordOfRow(int row) const {
  if (row < 0 || ShowsPlaceholder() || static_cast<std::size_t>(row) >= view_.Rows().size()) return std::nullopt;
  return view_.Rows()[static_cast<std::size_t>(row)];
}

int AddonList::SelectedRow() const {
  return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) : -1;
}

void AddonList::SelectRow(int row) {
  if (!list_) return;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  if (row >= 0) SendMessageW(list_, LVM_SETSELECTIONMARK, 0, row);
}

void AddonList::EnsureVisible(int row) {
  if (list_ && row >= 0) SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void AddonList::LayoutColumns(UINT dpi) {
  if (!list_ || listColumns_.empty() || !dpi) return;
  dpi_ = dpi;
  if (userSized_) return;
  const auto scale = [dpi](int px96) { return MulDiv(px96, static_cast<int>(dpi), 96); };
  RECT client{};
  GetClientRect(list_, &client);
  HDC dc = GetDC(list_);
  const HFONT font = RowFont(-1);
  std::vector<tables::ColumnNeed> needs;
  for (const std::size_t column : listColumns_) {
    tables::ColumnNeed need;
    need.name = columns_[column].name;
    need.caption = Widgets::TextWidth(dc, font, columns_[column].caption) + scale(kCaptionMargins);
    if (column < longest_.size())
      for (const std::wstring& text : longest_[column])
        need.widest = std::max(need.widest, Widgets::TextWidth(dc, font, text) + scale(kCellMargins));
    need.limit = scale(columns_[column].widthLimit);
    need.givesWayLast = columns_[column].givesWayLast;
    needs.push_back(need);
  }
  ReleaseDC(list_, dc);
  const auto nameRule = [dpi](int width, int count) { return tables::ColumnWidths(width, static_cast<int>(dpi), count); };
  const std::vector<int> widths = tables::FitColumns(client.right, needs, scale(kNameMinimum), nameRule);
  for (std::size_t listColumn = 0; listColumn < widths.size(); ++listColumn)
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, listColumn, widths[listColumn]);
}

HFONT AddonList::RowFont(int row) const {
  const std::optional<std::size_t> record = row >= 0 ? RecordOfRow(row) : std::nullopt;
  if (record && *record < isNew_.size() && isNew_[*record] && boldFont_) return boldFont_.get();
  const auto font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::wstring AddonList::FitPath(const std::wstring& text, int row, int listColumn) const {
  const int width = static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(listColumn), 0)) -
                    MulDiv(kCellMargins, static_cast<int>(dpi_ ? dpi_ : 96), 96);
  const HFONT font = RowFont(row);
  return TextFit::ShortenPath(text, width, [&](const std::wstring& t) { return Widgets::TextWidth(paintDc_, font, t); });
}

const std::wstring& AddonList::TextAt(int row, int listColumn) const {
  static const std::wstring none;
  const std::size_t column = ColumnOfListColumn(listColumn);
  if (column >= columns_.size()) return none;
  if (ShowsPlaceholder()) {
    if (RecordCount() > 0) return column == 0 ? noMatch_ : none;
    return column < noRecords_.size() ? noRecords_[column] : none;
  }
  const std::optional<std::size_t> record = RecordOfRow(row);
  return record ? view_.Cell(*record, column) : none;
}

int AddonList::FindPrefix(const std::wstring& prefix, int start, bool wrap) const {
  if (ShowsPlaceholder() || prefix.empty()) return -1;
  const std::wstring folded = FoldCase(prefix);
  const int rows = RowCount();
  for (int n = 0; n < rows; ++n) {
    int row = start + n;
    if (row >= rows) {
      if (!wrap) break;
      row -= rows;
    }
    const std::wstring& text = TextAt(row, 0);
    if (text.size() >= folded.size() && FoldCase(text.substr(0, folded.size())) == folded) return row;
  }
  return -1;
}

LRESULT AddonList::DrawRowLook(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      // Until the paint ends, the texts asked for are the ones drawn.
      paintDc_ = draw.nmcd.hdc;
      return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_POSTPAINT:
      paintDc_ = nullptr;
      return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT: {
      const auto record = RecordOfRow(static_cast<int>(draw.nmcd.dwItemSpec));
      if (!record) return CDRF_DODEFAULT;
      LRESULT answer = CDRF_DODEFAULT;
      // An add-on that does not run is greyed; the selection keeps the
      // system's colours, so the selected row stays readable.
      if (Inactive(*record) && !(draw.nmcd.uItemState & CDIS_SELECTED)) {
        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
        answer = CDRF_NEWFONT;
      }
      if (*record >= isNew_.size() || !isNew_[*record]) return answer;
      const HFONT font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
      if (!boldFont_ || boldFor_ != font) {
        LOGFONTW lf{};
        GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lf.lfWeight = FW_BOLD;
        boldFont_.reset(CreateFontIndirectW(&lf));
        boldFor_ = font;
      }
      if (boldFont_) SelectObject(draw.nmcd.hdc, boldFont_.get());
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void AddonList::SetInactive(std::vector<bool> inactive) {
  inactive_ = std::move(inactive);
  if (list_) InvalidateRect(list_, nullptr, FALSE);
}

bool AddonList::HandleNotification(const NMHDR& header, LRESULT& result) {
  const HWND headerWindow = list_ ? ListView_GetHeader(list_) : nullptr;
  if (headerWindow && header.hwndFrom == headerWindow) {
    // A divider the user drags or double-clicks: his widths stay.
    if (header.code == HDN_ENDTRACKW || header.code == HDN_DIVIDERDBLCLICKW) userSized_ = true;
    return false;
  }
  if (header.hwndFrom != list_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
      if (info.item.mask & LVIF_TEXT) {
        std::wstring drawn;
        const std::wstring* shown = &TextAt(info.item.iItem, info.item.iSubItem);
        // A path is drawn short in the middle; anyone else asking gets it whole.
        const std::size_t column = ColumnOfListColumn(info.item.iSubItem);
        if (paintDc_ && column < columns_.size() && columns_[column].path) {
          drawn = FitPath(*shown, info.item.iItem, info.item.iSubItem);
          shown = &drawn;
        }
        const std::wstring& text = *shown;
        if (info.item.pszText && info.item.cchTextMax > 0) {
          const std::size_t n = std::min(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
          text.copy(info.item.pszText, n);
          info.item.pszText[n] = L'\0';
        }
      }
      if (info.item.mask & LVIF_IMAGE) info.item.iImage = 0;
      result = 0;
      return true;
    }
    case LVN_ODFINDITEMW: {
      const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
      int found = -1;
      if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.lvfi.psz)
        found = FindPrefix(find.lvfi.psz, find.iStart, (find.lvfi.flags & LVFI_WRAP) != 0);
      result = found;
      return true;
    }
    case LVN_COLUMNCLICK: {
      const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
      SortByColumn(ColumnOfListColumn(click.iSubItem));
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW:
      result = DrawRowLook(const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header)));
      return true;
    default:
      return false;
  }
}

bool AddonList::ShowHeaderMenu(POINT screen) {
  const HWND header = list_ ? ListView_GetHeader(list_) : nullptr;
  RECT bounds{};
  if (!header || !GetWindowRect(header, &bounds) || !PtInRect(&bounds, screen)) return false;
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return true;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].name) continue;
    AppendMenuW(menu.get(), MF_STRING | (shown_[i] ? MF_CHECKED : MF_UNCHECKED), kColumnItemBase + i,
                columns_[i].caption.c_str());
  }
  const int chosen = chooseFromMenu ? chooseFromMenu(menu.get(), screen)
                                    : static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                                      screen.x, screen.y, 0, list_, nullptr));
  if (chosen >= static_cast<int>(kColumnItemBase)) {
    const std::size_t column = static_cast<std::size_t>(chosen) - kColumnItemBase;
    ShowColumn(column, !ColumnShown(column));
    userSized_ = false;
    LayoutColumns(dpi_ ? dpi_ : GetDpiForWindow(list_));
  }
  return true;
}
