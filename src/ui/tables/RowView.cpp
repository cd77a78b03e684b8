#include "ui/tables/RowView.h"

#include <algorithm>

#include "ozcore/CaseFold.h"

namespace tables {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0x3000 || c == 0xA0; }

// Compares two runs of digits by value: leading zeros do not count, a
// longer run is larger; equal values compare equal.
int CompareNumbers(const std::wstring& a, std::size_t& i, const std::wstring& b, std::size_t& j) {
  while (i < a.size() && a[i] == L'0') ++i;
  while (j < b.size() && b[j] == L'0') ++j;
  const std::size_t startA = i, startB = j;
  while (i < a.size() && IsDigit(a[i])) ++i;
  while (j < b.size() && IsDigit(b[j])) ++j;
  const std::size_t lengthA = i - startA, lengthB = j - startB;
  if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
  const int order = a.compare(startA, lengthA, b, startB, lengthB);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int CompareFolded(const std::wstring& a, const std::wstring& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      if (const int order = CompareNumbers(a, i, b, j)) return order;
      continue;
    }
    const unsigned x = static_cast<unsigned>(a[i]) & 0xFFFF, y = static_cast<unsigned>(b[j]) & 0xFFFF;
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::vector<std::wstring> Words(const std::wstring& text) {
  std::vector<std::wstring> words;
  std::wstring word;
  for (const wchar_t c : text) {
    if (IsSpace(c)) {
      if (!word.empty()) words.push_back(FoldCase(word));
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) words.push_back(FoldCase(word));
  return words;
}

}  // namespace

int CompareCells(const std::wstring& a, const std::wstring& b) { return CompareFolded(FoldCase(a), FoldCase(b)); }

void RowView::Reset(std::vector<std::vector<std::wstring>> cells, const std::vector<std::wstring>& searchText) {
  cells_ = std::move(cells);
  folded_.clear();
  folded_.reserve(cells_.size());
  for (std::size_t i = 0; i < cells_.size(); ++i) folded_.push_back(i < searchText.size() ? FoldCase(searchText[i]) : L"");
  Rebuild();
}

const std::wstring& RowView::Cell(std::size_t record, std::size_t column) const {
  static const std::wstring none;
  if (record >= cells_.size() || column >= cells_[record].size()) return none;
  return cells_[record][column];
}

void RowView::SortBy(int column, bool ascending) {
  sortColumn_ = column;
  ascending_ = ascending;
  Rebuild();
}

void RowView::SetFilter(const std::wstring& text) {
  words_ = Words(text);
  Rebuild();
}

bool RowView::Matches(std::size_t record) const {
  for (const auto& word : words_)
    if (folded_[record].find(word) == std::wstring::npos) return false;
  return true;
}

int RowView::RowOf(std::size_t record) const {
  return record < rowOfRecord_.size() ? rowOfRecord_[record] : -1;
}

void RowView::Rebuild() {
  rows_.clear();
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (Matches(i)) rows_.push_back(i);
  if (sortColumn_ >= 0) {
    // Each shown cell folded once, not once per comparison.
    const auto column = static_cast<std::size_t>(sortColumn_);
    std::vector<std::wstring> keys(cells_.size());
    for (const std::size_t record : rows_) keys[record] = FoldCase(Cell(record, column));
    std::stable_sort(rows_.begin(), rows_.end(), [&](std::size_t a, std::size_t b) {
      const int order = CompareFolded(keys[a], keys[b]);
      return ascending_ ? order < 0 : order > 0;
    });
  }
  rowOfRecord_.assign(cells_.size(), -1);
  for (std::size_t row = 0; row < rows_.size(); ++row) rowOfRecord_[rows_[row]] = static_cast<int>(row);
}

}  // namespace tables
