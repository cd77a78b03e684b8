#include "ui/tables/AddonList.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "ozcore/CaseFold.h"
#include "ui/tables/TableText.h"

namespace {

// Ids of the header menu's items: the column index after this base.
constexpr UINT kColumnItemBase = 1;

// The share of the list's width the columns every kind shares take, when
// all of them are shown, and each one's part of it.
constexpr double kSharedColumnsShare = 0.55;
double Weight(std::size_t sharedIndex) {
  static constexpr double kWeights[] = {1.0, 2.0, 0.7, 1.0, 0.7};  // publisher, file, version, users, architecture
  return sharedIndex < std::size(kWeights) ? kWeights[sharedIndex] : 1.0;
}

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
  SetItemCount();
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
  if (!list_ || userSized_ || listColumns_.empty()) return;
  RECT client{};
  GetClientRect(list_, &client);
  double sharedWeight = 0, allWeight = 0;
  int names = 0;
  for (std::size_t i = 0, shared = 0; i < columns_.size(); ++i) {
    if (columns_[i].name) {
      ++names;
      continue;
    }
    allWeight += Weight(shared);
    if (shown_[i]) sharedWeight += Weight(shared);
    ++shared;
  }
  // The shared columns take their part of their share; the name columns
  // the rest, by the name rule.
  const int sharedWidth =
      allWeight > 0 ? static_cast<int>(client.right * kSharedColumnsShare * sharedWeight / allWeight) : 0;
  const auto nameWidths = tables::ColumnWidths(client.right - sharedWidth, static_cast<int>(dpi), names);
  std::size_t nameAt = 0;
  for (std::size_t listColumn = 0; listColumn < listColumns_.size(); ++listColumn) {
    const std::size_t column = listColumns_[listColumn];
    int width = 0;
    if (columns_[column].name) {
      width = nameAt < nameWidths.size() ? nameWidths[nameAt] : 0;
      ++nameAt;
    } else {
      std::size_t shared = 0;
      for (std::size_t i = 0; i < column; ++i)
        if (!columns_[i].name) ++shared;
      width = sharedWeight > 0 ? static_cast<int>(sharedWidth * Weight(shared) / sharedWeight) : 0;
    }
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, listColumn, width);
  }
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

LRESULT AddonList::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
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

bool AddonList::OnNotify(const NMHDR& header, LRESULT& result) {
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
        const std::wstring& text = TextAt(info.item.iItem, info.item.iSubItem);
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
      result = OnCustomDraw(const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header)));
      return true;
    default:
      return false;
  }
}

bool AddonList::OnContextMenu(POINT screen) {
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
    LayoutColumns(GetDpiForWindow(list_));
  }
  return true;
}
