#include "ui/tables/TableText.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "engine/text/AddonText.h"
#include "ozcore/FormatText.h"

namespace tables {

namespace {

std::wstring Lower(std::wstring text) {
  for (auto& ch : text) ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
  return text;
}

// The column margin.
constexpr double kMarginTwips = 20.0;
constexpr double kTwipsPerInch = 1440.0;

}  // namespace

std::wstring ToolbarObjectName(const std::wstring& rowText, const std::wstring& suffix) {
  const std::wstring word = discovery::text::TrimSpaces(suffix);
  if (!word.empty() && rowText.size() >= word.size() &&
      Lower(rowText.substr(rowText.size() - word.size())) == Lower(word)) {
    return rowText;
  }
  return rowText + suffix;
}

std::wstring ButtonObjectName(const std::wstring& button, const std::wstring& menu, const ButtonNameTexts& texts) {
  std::wstring name;
  if (button.empty()) {
    name = menu + texts.menuSuffix;
  } else if (!menu.empty()) {
    name = menu != button ? formattext::Format(texts.bothTemplate, {button, menu}) : button + texts.sameSuffix;
  } else {
    name = button + texts.buttonSuffix;
  }
  return discovery::text::TrimSpaces(HalveDoubleSpaces(name));
}

std::wstring HalveDoubleSpaces(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if (text[i] == L' ' && i + 1 < text.size() && text[i + 1] == L' ') ++i;
  }
  return out;
}

std::vector<int> ColumnWidths(int listWidth, int dpi, int columnCount) {
  if (dpi <= 0) dpi = 96;
  const double twips = std::max(0, listWidth) * kTwipsPerInch / dpi;
  auto toPixels = [dpi](double t) { return std::max(0, static_cast<int>(std::lround(t * dpi / kTwipsPerInch))); };
  if (columnCount <= 1) return {toPixels(twips - kMarginTwips)};
  // Half of the rounded width (a half rounds to even), the remainder dropped.
  const double rounded = std::nearbyint(std::max(0.0, twips - kMarginTwips));
  const double first = std::floor(rounded / 2.0);
  const double second = twips - first - kMarginTwips;
  return {toPixels(first), toPixels(second)};
}

}  // namespace tables
