// TableControlBase: the listing, the rows, the filter and the caption.
#include "ui/tables/TableControlBase.h"

#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "engine/text/VisibleText.h"
#include "ozcore/FormatText.h"
#include "ui/tables/FlagScope.h"
#include "ui/tables/SharedColumns.h"
#include "ui/tables/StateDetails.h"

namespace {

// A listing's records, first to last.
std::vector<std::shared_ptr<CResultNode>> RecordsOf(const CResultNodes& list) {
  std::vector<std::shared_ptr<CResultNode>> records;
  records.reserve(list.Count());
  for (std::size_t position = 1; position <= list.Count(); ++position) records.push_back(list.Shared(position));
  return records;
}

}  // namespace

int TableControlBase::SelectedRow() const { return list_.SelectedRow(); }

const CResultNode* TableControlBase::RecordAt(int row) const { return SharedRecordAt(row).get(); }

std::shared_ptr<CResultNode> TableControlBase::SharedRecordAt(int row) const {
  const std::optional<std::size_t> record = list_.RecordOfRow(row);
  return record && *record < records_.size() ? records_[*record] : nullptr;
}

std::vector<const CResultNode*> TableControlBase::ShownRecords() const {
  std::vector<const CResultNode*> shown;
  for (int row = 0; row < RowCount(); ++row)
    if (const CResultNode* record = RecordAt(row)) shown.push_back(record);
  return shown;
}

std::wstring TableControlBase::RowText(int row) const {
  const std::optional<std::size_t> record = list_.RecordOfRow(row);
  return record ? list_.Cell(*record, 0) : std::wstring();
}

void TableControlBase::SelectRow(int row) {
  if (row < 0 || row >= RowCount()) throw QlmError(kNoSuchRow, L"ListView", L"Index out of bounds");
  list_.SelectRow(row);
}

std::vector<std::wstring> TableControlBase::Cells(const CResultNode& record, bool visible) const {
  // Names come from the registry: control characters and the like are
  // shown escaped, so a name can neither hide nor pass for another.
  auto shown = [visible](const std::wstring& text) { return visible ? discovery::text::VisibleText(text) : text; };
  std::vector<std::wstring> cells;
  std::vector<std::wstring> names = RowTexts(record);
  names.resize(kind_.columns.size());
  for (const auto& name : names) cells.push_back(shown(name));
  for (const auto& shared : tables::SharedColumns()) cells.push_back(shown(shared.cell(record)));
  return cells;
}

std::wstring TableControlBase::SearchText(const std::vector<std::wstring>& cells, std::size_t nameColumns) {
  // The name(s) and the searched shared columns; a line break keeps a word
  // from matching across two of them.
  std::wstring text;
  for (std::size_t i = 0; i < nameColumns && i < cells.size(); ++i) text += cells[i] + L"\n";
  const auto& shared = tables::SharedColumns();
  for (std::size_t i = 0; i < shared.size() && nameColumns + i < cells.size(); ++i)
    if (shared[i].searched) text += cells[nameColumns + i] + L"\n";
  return text;
}

void TableControlBase::FillList() {
  std::vector<std::vector<std::wstring>> cells;
  std::vector<std::wstring> search;
  std::vector<bool> isNew, inactive;
  cells.reserve(records_.size());
  search.reserve(records_.size());
  for (const auto& record : records_) {
    cells.push_back(Cells(*record));
    search.push_back(SearchText(cells.back(), kind_.columns.size()));
    isNew.push_back(ages_.isNew && ages_.isNew(*record));
    inactive.push_back(tables::RecordLooksInactive(*record));
  }
  list_.SetRecords(std::move(cells), search, std::move(isNew));
  list_.SetInactive(std::move(inactive));
  UpdateCaption();
  if (rowsChanged) rowsChanged();
}

std::vector<std::wstring> TableControlBase::ShownColumnCaptions() const {
  std::vector<std::wstring> captions;
  for (std::size_t column = 0; column < list_.ColumnCount(); ++column)
    if (list_.ColumnShown(column)) captions.push_back(list_.Caption(column));
  return captions;
}

std::vector<std::vector<std::wstring>> TableControlBase::ShownRowCells() const {
  std::vector<std::vector<std::wstring>> rows;
  for (const CResultNode* record : ShownRecords()) {
    const std::vector<std::wstring> cells = Cells(*record, false);
    std::vector<std::wstring> row;
    for (std::size_t column = 0; column < cells.size(); ++column)
      if (list_.ColumnShown(column)) row.push_back(cells[column]);
    rows.push_back(std::move(row));
  }
  return rows;
}

void TableControlBase::UpdateCaption() {
  std::wstring parts;
  if (list_.Filtered())
    parts = formattext::Format(LoadStr(IDS_CAPTION_SHOWN_OF),
                               {std::to_wstring(list_.ShownCount()), std::to_wstring(records_.size())});
  if (const std::size_t fresh = list_.NewCount())
    parts += (parts.empty() ? L"" : L", ") + formattext::Format(LoadStr(IDS_CAPTION_NEW), {std::to_wstring(fresh)});
  const std::wstring caption = CaptionText();
  if (caption_.Hwnd()) caption_.SetText(parts.empty() ? caption : caption + L" (" + parts + L")");
}

void TableControlBase::SetFilter(const std::wstring& text) {
  const ProcedureName procedure(kind_.typeName, L"SetFilter");
  {
    FlagScope quiet(updating_);
    list_.SetFilter(text);
  }
  UpdateCaption();
  if (rowsChanged) rowsChanged();
  // The details follow the selection; with the selected add-on hidden
  // they go to the first one shown.
  if (listedNone_ || !Shown()) return;
  if (list_.ShowsPlaceholder()) {
    if (showDetails_) showDetails_(CParams());
    return;
  }
  if (SelectedRow() < 0) {
    FlagScope quiet(updating_);
    SelectRow(0);
  }
  ShowSelectedDetails();
}

void TableControlBase::SetAgeMarks(AgeMarks marks) {
  ages_ = std::move(marks);
  if (!records_.empty()) {
    FlagScope quiet(updating_);
    const int selected = SelectedRow();
    FillList();
    if (selected >= 0 && selected < RowCount()) SelectRow(selected);
  }
}

std::vector<std::wstring> TableControlBase::RowTexts(const CResultNode& record) const {
  return {Value(record, discovery::keys::kDisplayName)};
}

std::wstring TableControlBase::Value(const CResultNode& record, const wchar_t* key) { return record.params.Text(key); }

bool TableControlBase::Shown() const { return Hwnd() && (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; }

void TableControlBase::RefreshList() {
  const ProcedureName procedure(kind_.typeName, L"RefreshList");
  if (!list_.Hwnd()) {
    LogRecord(kNoRecordOnRow, L"The table has no list", kLevelError, Context(L"RefreshList"));
    return;
  }
  const int remembered = SelectedRow();
  {
    FlagScope quiet(updating_);
    if (!ListAgain()) return;
    const int rows = RowCount();
    if (rows == 0) return;
    // The row selected before, else the first.
    const int row = remembered >= 0 && remembered < rows ? remembered : 0;
    SelectRow(row);
    list_.EnsureVisible(row);
  }
  // The restored row stays the selected one: its details are what the
  // pane shows, and what Delete acts on.
  ShowSelectedDetails();
}

bool TableControlBase::ListAgain() {
  records_.clear();
  std::optional<CResultNodes> list = Discover();
  list_.SetListingFailed(!list);
  if (!list) {
    // Rows gone, the flag as it was: discovery has logged why.
    FillList();
    return false;
  }
  listedNone_ = list->Count() == 0;
  records_ = RecordsOf(*list);
  FillList();
  // Rows can bring a scroll bar: the columns fit the new width.
  LayoutColumns();
  // Nothing left to describe: the pane must not go on showing an add-on
  // that is gone (the one just deleted, say).
  if ((listedNone_ || list_.ShowsPlaceholder()) && showDetails_ && Shown()) showDetails_(CParams());
  return true;
}
