#pragma once
// The text and layout rules of the add-on tables that need no window: the
// names the delete messages use and the column widths. No <windows.h>, so
// they build and run anywhere.
#include <string>
#include <vector>

namespace tables {

// A toolbar's name in messages: the row text alone when it already ends in
// the suffix's word (any letter case), else the row text and the suffix.
std::wstring ToolbarObjectName(const std::wstring& rowText, const std::wstring& suffix);

// The texts a toolbar button's name is built from (from the string table).
struct ButtonNameTexts {
  std::wstring buttonSuffix;     // " toolbar button"
  std::wstring menuSuffix;       // " menu"
  std::wstring sameSuffix;       // " toolbar button and related menu"
  std::wstring bothTemplate;     // "%1 toolbar button and %2 menu"
};

// A toolbar button's name in messages, from its button and menu texts:
// double spaces made single in one pass, then trimmed of spaces.
std::wstring ButtonObjectName(const std::wstring& button, const std::wstring& menu, const ButtonNameTexts& texts);

// Replaces each run of two spaces by one, left to right in a single pass
// (three spaces become two).
std::wstring HalveDoubleSpaces(const std::wstring& text);

// Column widths in pixels for a list listWidth pixels wide at dpi: one
// column takes the width less a small margin; two share it, the first
// taking half. The margin and the halving work in twips, as the layout was
// designed.
std::vector<int> ColumnWidths(int listWidth, int dpi, int columnCount);

}  // namespace tables
